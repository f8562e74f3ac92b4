#pragma once

#include "core/merge/mergedrows.h"

namespace Orvik {

// What a MergedView shows: rows in order, each a line of one of the merged logs.
class MergedRowList {
public:
    virtual ~MergedRowList() = default;
    virtual qint64 rowCount() const = 0;
    virtual MergedRows::Row row(qint64 index) const = 0;
    // The index of the row naming that line, or -1 when the list has none.
    virtual qint64 indexOf(const MergedRows::Row &row) const = 0;
};

} // namespace Orvik
