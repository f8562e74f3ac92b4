#pragma once

#include <QtGlobal>

namespace Orvik {

// The longest text a document may hold when its length is not a file's on disk (a text
// decoded from a compressed file, the output of a pipe): half the physical memory, and half
// the address space the process may have when that is limited, so that a text can be read
// anew while its old one is still held. A text that would be longer fails with the
// description of a want of memory instead of taking the machine's memory.
class TextLimit {
public:
    // From any thread.
    static qint64 bytes();
    // Replaces bytes() (0: back to the memory's). For tests.
    static void setForTests(qint64 bytes);
};

} // namespace Orvik
