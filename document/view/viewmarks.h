#pragma once

#include "core/documentview.h"
#include "document/view/markset.h"

#include <vector>

namespace Orvik {

// What a view colours: layers of marks, each shown in one colour, the highlight's red on top
// (a lower layer shows where no layer above it marks), and beneath them colours set on ranges
// one at a time. A layer is a shared, finished set: showing a new one costs the same however
// many marks it has, and a worker may still read the set the view shows. A layer styled as a
// background colours the rows of the lines it marks instead of their text; background layers
// stack among themselves as the text layers do.
class ViewMarks {
public:
    struct Run {
        qint64 start;
        qint64 end;
        ColorNumber color;
    };

    bool isEmpty() const;
    void clear();

    SharedMarks layer(int index) const;
    void setLayer(int index, SharedMarks marks);
    LayerStyle layerStyle(int index) const;
    void setLayerStyle(int index, const LayerStyle &style);
    // Adds marks after the layer's last one (those of appended text).
    void addToLayer(int index, const MarkRuns &marks);
    // Cuts the layer's marks at `from`, then adds `marks` (found again from there on).
    void replaceInLayer(int index, qint64 from, const MarkRuns &marks);
    // Colours [start, end): the highlight colour joins the highlight layer; any other colour
    // replaces what the range had beneath the layers.
    void colour(qint64 start, qint64 end, ColorNumber color);
    // Text was inserted at `offset` (`count` bytes) after removing [offset, offset+removed).
    void replace(qint64 offset, qint64 removed, qint64 count);

    // The colours shown over [start, end): runs in order, none overlapping another, each in
    // the colour of the topmost mark there.
    std::vector<Run> runs(qint64 start, qint64 end) const;
    // The background colours over [start, end), as runs() gives the text's.
    std::vector<Run> backgroundRuns(qint64 start, qint64 end) const;
    // The run of one colour holding `offset`, or the unmarked stretch around it (colour
    // NoColor) within [0, size).
    Run runAt(qint64 offset, qint64 size) const;
    // The background colour at `offset`, or NoColor.
    ColorNumber backgroundAt(qint64 offset) const;
    // Only the runs within [start, end), moved to start at 0.
    ViewMarks slice(qint64 start, qint64 end) const;

    qint64 memoryUsage() const;

    static constexpr ColorNumber NoColor = 0xFFFFFFFF;

private:
    bool isBackground(int index) const { return layerStyle(index).background; }
    std::vector<Run> composed(qint64 start, qint64 end, const MarkSet &base,
                              bool backgrounds) const;

    std::vector<SharedMarks> m_layers;
    std::vector<LayerStyle> m_styles; // by layer; a layer without one is shown in red
    MarkSet m_colours;
    MarkSet m_backgrounds; // a slice's background runs
};

} // namespace Orvik
