#include "slotread.h"

#include "filesystem.h"
#include "pathtext.h"

#include <new>

namespace Orvik {

namespace {
const QString NotEnoughMemory = QStringLiteral("not enough memory to hold this file");

std::vector<TextMatch> findAll(const QString &pattern, const Contents &text) {
    std::vector<TextMatch> found;
    const HighlightSearch search(pattern);
    if (search.isActive())
        search.forEachMatch(text.data(), text.size(), [&found](qint64 offset, qint64 length) {
            found.push_back({offset, length});
        });
    return found;
}
} // namespace

void SlotRead::run(FileSystem &fileSystem) {
    if (isBlank(path))
        return;
    try {
        QString error;
        stamp = fileSystem.lastModified(path, &error);
        if (!stamp.isValid()) {
            outcome.error = error;
            changed = true;
            return;
        }
        probed = fileSystem.FileSizeProbe(path);
        changed = probed != knownSize || probed == 0 || !knownTime.isValid() || stamp != knownTime;
        if (!changed)
            return;
        DocumentReader reader(fileSystem, chunkSize);
        reader.setCancel(cancel);
        DocumentReader::Progress progress;
        if (preparation)
            progress = [this](const char *data, qint64 size) { preparation->extend(data, size); };
        outcome = reader.readApart(path, previous, progress);
        if (outcome.kind == ReadKind::Append)
            appendMatches = findAll(pattern, outcome.contents);
    } catch (const std::bad_alloc &) {
        outcome = ReadOutcome();
        outcome.error = NotEnoughMemory;
        changed = true;
    }
}

void MarkPass::run() {
    try {
        matches = findAll(pattern, text);
    } catch (const std::bad_alloc &) {
        matches.clear();
    }
}

} // namespace Orvik
