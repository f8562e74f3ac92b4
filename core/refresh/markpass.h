#pragma once

#include "core/content/contents.h"
#include "core/documentview.h"
#include "core/refresh/refreshtask.h"

#include <QString>

namespace Orvik {

// A full highlight pass over a document's whole text: every match, united with the marks the
// view had when the pass began (a pass never takes colour away), as one finished set for the
// view to show in place of its own. Besides itself it reads the text and the view's marks,
// both shared and immutable.
struct MarkPass : RefreshTask {
    Contents text;
    QString pattern;
    SharedMarks before; // the view's highlight marks when the pass began
    SharedMarks marks;  // found

    void run(FileSystem &) override { run(); }
    void run();
};

} // namespace Orvik
