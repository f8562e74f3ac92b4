#pragma once

#include <QByteArray>

#include <memory>
#include <vector>

namespace Orvik {

// Many plain texts found in one sweep over a text, instead of one sweep for each: the
// literal matcher of Hyperscan, where Orvik was built with it and the processor runs it
// (x86-64 with SSSE3). Elsewhere a set is never valid and callers search text by text.
//
// A text is matched byte for byte, or with folding the case of ASCII letters only (the
// highlight's folding for a pattern of ASCII characters). Every occurrence is reported,
// overlapping ones too.
//
// A set never changes once made and may be shared by threads; each sweep brings its own
// scratch space (a Scanner), one per thread.
class LiteralSet {
public:
    struct Literal {
        QByteArray bytes; // not empty
        bool foldCase = false;
    };

    // Called for each occurrence of literal `literal` starting at `start`; false stops the
    // sweep.
    using OnMatch = bool (*)(void *context, int literal, qint64 start);

    // Whether sets can be made on this machine.
    static bool isAvailable();

    LiteralSet() = default;
    explicit LiteralSet(const std::vector<Literal> &literals);
    ~LiteralSet();
    LiteralSet(const LiteralSet &) = delete;
    LiteralSet &operator=(const LiteralSet &) = delete;

    bool isValid() const { return m_database != nullptr; }
    int size() const { return int(m_lengths.size()); }

    class Scanner {
    public:
        // One call of the library covers less than 4 GB: a longer text is swept in parts of
        // `part` bytes (and a literal's length more, so that each part reports every
        // occurrence that starts in it).
        static constexpr qint64 DefaultPart = qint64(1) << 31;

        explicit Scanner(const LiteralSet &set, qint64 part = DefaultPart);
        ~Scanner();
        Scanner(const Scanner &) = delete;
        Scanner &operator=(const Scanner &) = delete;

        // Sweeps text[0, size): occurrences come in order of their ends, so each literal's in
        // order of their starts. False when stopped by onMatch, or when the set is not valid.
        // An exception thrown by onMatch stops the sweep and is thrown on from here.
        bool scan(const char *text, qint64 size, OnMatch onMatch, void *context);

        // The same with a callable f(literal, start) -> bool.
        template <typename F> bool scan(const char *text, qint64 size, F &f) {
            return scan(
                text, size,
                [](void *c, int literal, qint64 start) {
                    return (*static_cast<F *>(c))(literal, start);
                },
                &f);
        }

    private:
        const LiteralSet &m_set;
        qint64 m_part;
        void *m_scratch = nullptr;
    };

private:
    void *m_database = nullptr; // compiled once, then only read
    std::vector<qint64> m_lengths;
    qint64 m_longest = 0;
};

} // namespace Orvik
