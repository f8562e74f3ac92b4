#include "document/view/viewmarks.h"

namespace Orvik {

bool ViewMarks::isEmpty() const {
    for (const SharedMarks &layer : m_layers)
        if (layer && !layer->isEmpty())
            return false;
    return m_colours.isEmpty() && m_backgrounds.isEmpty();
}

void ViewMarks::clear() {
    m_layers.clear();
    m_colours.clear();
    m_backgrounds.clear();
}

LayerStyle ViewMarks::layerStyle(int index) const {
    return index >= 0 && index < int(m_styles.size()) ? m_styles[size_t(index)] : LayerStyle();
}

void ViewMarks::setLayerStyle(int index, const LayerStyle &style) {
    if (index < 0)
        return;
    if (index >= int(m_styles.size()))
        m_styles.resize(size_t(index) + 1);
    m_styles[size_t(index)] = style;
}

SharedMarks ViewMarks::layer(int index) const {
    return index >= 0 && index < int(m_layers.size()) ? m_layers[size_t(index)] : nullptr;
}

void ViewMarks::setLayer(int index, SharedMarks marks) {
    if (index < 0)
        return;
    if (index >= int(m_layers.size()))
        m_layers.resize(size_t(index) + 1);
    m_layers[size_t(index)] = std::move(marks);
}

void ViewMarks::addToLayer(int index, const MarkRuns &marks) {
    if (marks.isEmpty() || index < 0)
        return;
    const SharedMarks old = layer(index);
    // A set a worker may still read is not changed: the additions go to a copy.
    std::shared_ptr<MarkRuns> grown;
    if (old && old.use_count() <= 2) // this view and `old`
        grown = std::const_pointer_cast<MarkRuns>(old);
    else
        grown = old ? std::make_shared<MarkRuns>(*old) : std::make_shared<MarkRuns>();
    if (grown->isEmpty() || marks.first().start >= grown->last().start)
        grown->append(marks);
    else
        *grown = MarkRuns::united(*grown, marks);
    setLayer(index, std::move(grown));
}

void ViewMarks::replaceInLayer(int index, qint64 from, const MarkRuns &marks) {
    {
        const SharedMarks old = layer(index);
        if (old && !old->isEmpty() && old->last().end > from) {
            // As for additions: a set a worker may still read is not changed.
            std::shared_ptr<MarkRuns> cut = old.use_count() <= 2
                                                ? std::const_pointer_cast<MarkRuns>(old)
                                                : std::make_shared<MarkRuns>(*old);
            cut->truncate(from);
            setLayer(index, std::move(cut));
        }
    }
    addToLayer(index, marks);
}

void ViewMarks::colour(qint64 start, qint64 end, ColorNumber color) {
    if (end <= start)
        return;
    if (color != HighlightColor) {
        m_colours.assign(start, end, color);
        return;
    }
    MarkRuns one;
    one.add(start, end);
    const SharedMarks old = layer(HighlightLayer);
    if (!old || old->isEmpty() || start >= old->last().start)
        addToLayer(HighlightLayer, one);
    else
        setLayer(HighlightLayer, std::make_shared<MarkRuns>(MarkRuns::united(*old, one)));
}

void ViewMarks::replace(qint64 offset, qint64 removed, qint64 count) {
    for (SharedMarks &layer : m_layers)
        if (layer)
            layer = std::make_shared<MarkRuns>(layer->replaced(offset, removed, count));
    m_colours.replace(offset, removed, count);
}

std::vector<ViewMarks::Run> ViewMarks::runs(qint64 start, qint64 end) const {
    return composed(start, end, m_colours, false);
}

std::vector<ViewMarks::Run> ViewMarks::backgroundRuns(qint64 start, qint64 end) const {
    return composed(start, end, m_backgrounds, true);
}

// Laid down from `base` to the top layer of the kind asked for, each over what is beneath it.
std::vector<ViewMarks::Run> ViewMarks::composed(qint64 start, qint64 end, const MarkSet &base,
                                                bool backgrounds) const {
    MarkSet shown;
    const auto [first, last] = base.overlapping(start, end);
    for (int i = first; i < last; ++i) {
        const MarkSet::Mark &m = base.marks()[size_t(i)];
        shown.assign(qMax(m.start, start), qMin(m.end, end), m.color);
    }
    for (int index = int(m_layers.size()) - 1; index >= 0; --index) {
        const SharedMarks &layer = m_layers[size_t(index)];
        if (!layer || isBackground(index) != backgrounds)
            continue;
        const ColorNumber color = layerStyle(index).color;
        layer->forEachIn(start, end, [&](qint64 s, qint64 e) {
            shown.assign(qMax(s, start), qMin(e, end), color);
        });
    }
    std::vector<Run> out;
    out.reserve(size_t(shown.count()));
    for (const MarkSet::Mark &m : shown.marks())
        out.push_back({m.start, m.end, m.color});
    return out;
}

ColorNumber ViewMarks::backgroundAt(qint64 offset) const {
    const std::vector<Run> runs = backgroundRuns(offset, offset + 1);
    return runs.empty() ? NoColor : runs.front().color;
}

// The colour at `offset` is that of the topmost text layer marking it, else of the colours
// beneath; its run ends where that mark ends or where a layer above it begins to mark.
ViewMarks::Run ViewMarks::runAt(qint64 offset, qint64 size) const {
    Run run{0, size, NoColor};
    int top = int(m_layers.size()); // the layer whose colour shows, or all of them
    for (int index = 0; index < int(m_layers.size()); ++index) {
        const SharedMarks &layer = m_layers[size_t(index)];
        if (!layer || isBackground(index))
            continue;
        const MarkRuns::Cursor c(*layer, offset);
        if (!c.atEnd() && c.range().start <= offset) {
            run = {c.range().start, c.range().end, layerStyle(index).color};
            top = index;
            break;
        }
    }
    if (top == int(m_layers.size())) {
        const auto [first, last] = m_colours.overlapping(offset, offset + 1);
        if (first < last) {
            const MarkSet::Mark &m = m_colours.marks()[size_t(first)];
            run = {m.start, m.end, m.color};
        } else {
            // The stretch between the colours beneath the layers.
            const auto after = m_colours.overlapping(offset, size);
            if (after.first > 0)
                run.start = m_colours.marks()[size_t(after.first - 1)].end;
            if (after.first < after.second)
                run.end = m_colours.marks()[size_t(after.first)].start;
        }
    }
    // Cut where a layer above, which does not mark `offset`, marks text on either side.
    for (int index = 0; index < top; ++index) {
        const SharedMarks &layer = m_layers[size_t(index)];
        if (!layer || isBackground(index) || layer->isEmpty())
            continue;
        const MarkRuns::Cursor c(*layer, offset);
        if (!c.atEnd())
            run.end = qMin(run.end, c.range().start);
        run.start = qMax(run.start, c.atEnd() ? layer->last().end : c.previousEnd());
    }
    return run;
}

ViewMarks ViewMarks::slice(qint64 start, qint64 end) const {
    ViewMarks part;
    for (const Run &run : runs(start, end))
        part.m_colours.assign(run.start - start, run.end - start, run.color);
    for (const Run &run : backgroundRuns(start, end))
        part.m_backgrounds.assign(run.start - start, run.end - start, run.color);
    return part;
}

qint64 ViewMarks::memoryUsage() const {
    qint64 bytes = m_colours.memoryUsage() + m_backgrounds.memoryUsage();
    for (const SharedMarks &layer : m_layers)
        if (layer)
            bytes += layer->memoryUsage();
    return bytes;
}

} // namespace Orvik
