#include "core/refresh/slotread.h"

#include "core/filesystem.h"
#include "core/search/highlightsearch.h"
#include "core/text/pathtext.h"

#include <new>

namespace Orvik {

const QString SlotRead::NotEnoughMemory = QStringLiteral("not enough memory to hold this file");

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
        const bool looksChanged =
            probed != knownSize || probed == 0 || !knownTime.isValid() || stamp != knownTime;
        changed = looksChanged || forced;
        if (!changed || cancelled())
            return;
        for (TextPreparation *p : {preparation.get(), appendPreparation.get()})
            if (p)
                p->setStamp(stamp);
        DocumentReader reader(fileSystem, chunkSize);
        reader.setCancel(&cancel);
        const qint64 kept = previous.size();
        outcome =
            reader.read(path, previous,
                        [this, &reader](ReadKind kind, const std::shared_ptr<ByteStore> &store,
                                        const char *data, qint64 size) {
                            TextPreparation *p = kind == ReadKind::Append ? appendPreparation.get()
                                                                          : preparation.get();
                            // A decoded text leaves this thread waiting for the decoder:
                            // the work is done here, not on a third thread.
                            if (p && reader.decodes())
                                p->extend(data, size);
                            else if (p)
                                p->extendHeld(store, data, size);
                        });
        previous = Contents(); // what the document showed goes as soon as the view lets it
        if (!looksChanged && outcome.kind == ReadKind::Append && outcome.contents.size() == kept) {
            changed = false; // told of a write that left the file as it was
            return;
        }
        const HighlightSearch search(pattern);
        if (outcome.kind == ReadKind::Append) {
            search.collect(outcome.contents.data() + kept, outcome.contents.size() - kept, kept,
                           marks, &cancel);
        } else if (outcome.kind == ReadKind::Replacement) {
            search.collect(outcome.contents.data(), outcome.contents.size(), 0, marks, &cancel);
        }
        marks.squeeze();
        // Without rules too: what it finds of the unfinished last line serves the next append.
        if (outcome.kind != ReadKind::Failed)
            ruleMarks.collect(rules ? *rules : RuleSet(), outcome.contents.data(),
                              outcome.contents.size(), outcome.kind == ReadKind::Append ? kept : 0,
                              &cancel);
        // The preparations' own work on the last bytes went on beside the searches.
        for (TextPreparation *p : {preparation.get(), appendPreparation.get()})
            if (p)
                p->settle();
    } catch (const std::bad_alloc &) {
        outcome = ReadOutcome();
        outcome.error = NotEnoughMemory;
        changed = true;
    }
}

} // namespace Orvik
