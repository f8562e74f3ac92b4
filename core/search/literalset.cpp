#include "core/search/literalset.h"

#include <exception>
#include <new>

#ifdef ORVIK_HAVE_HYPERSCAN
#include <hs.h>
#endif

namespace Orvik {

#ifdef ORVIK_HAVE_HYPERSCAN

namespace {

hs_database_t *database(void *d) {
    return static_cast<hs_database_t *>(d);
}

struct Sweep {
    const std::vector<qint64> &lengths;
    LiteralSet::OnMatch onMatch;
    void *context;
    qint64 base = 0;         // where the part swept starts
    qint64 startsBefore = 0; // occurrences starting here or later are the next part's
    std::exception_ptr failure;
    bool stopped = false;
};

// Called by the library: nothing may be thrown through it.
int onEnd(unsigned int id, unsigned long long, unsigned long long to, unsigned int, void *s) {
    Sweep &sweep = *static_cast<Sweep *>(s);
    const qint64 start = qint64(to) - sweep.lengths[id];
    try {
        if (start >= sweep.startsBefore ||
            sweep.onMatch(sweep.context, int(id), sweep.base + start))
            return 0;
    } catch (...) {
        sweep.failure = std::current_exception();
    }
    sweep.stopped = true;
    return 1;
}

} // namespace

bool LiteralSet::isAvailable() {
    static const bool available = hs_valid_platform() == HS_SUCCESS;
    return available;
}

LiteralSet::LiteralSet(const std::vector<Literal> &literals) {
    if (literals.empty() || !isAvailable())
        return;
    std::vector<const char *> texts;
    std::vector<size_t> lengths;
    std::vector<unsigned int> flags;
    std::vector<unsigned int> ids;
    for (const Literal &literal : literals) {
        if (literal.bytes.isEmpty()) {
            m_lengths.clear();
            return; // never valid: callers search text by text
        }
        texts.push_back(literal.bytes.constData());
        lengths.push_back(size_t(literal.bytes.size()));
        flags.push_back(literal.foldCase ? HS_FLAG_CASELESS : 0);
        ids.push_back(unsigned(ids.size()));
        m_lengths.push_back(literal.bytes.size());
        m_longest = qMax(m_longest, qint64(literal.bytes.size()));
    }
    hs_database_t *compiled = nullptr;
    hs_compile_error_t *error = nullptr;
    if (hs_compile_lit_multi(texts.data(), flags.data(), ids.data(), lengths.data(),
                             unsigned(texts.size()), HS_MODE_BLOCK, nullptr, &compiled,
                             &error) != HS_SUCCESS) {
        hs_free_compile_error(error);
        m_lengths.clear();
        return; // callers search text by text
    }
    m_database = compiled;
}

LiteralSet::~LiteralSet() {
    hs_free_database(database(m_database));
}

LiteralSet::Scanner::Scanner(const LiteralSet &set, qint64 part)
    : m_set(set)
    , m_part(qMax(part, qint64(1))) {
    hs_scratch_t *scratch = nullptr;
    if (set.isValid() && hs_alloc_scratch(database(set.m_database), &scratch) != HS_SUCCESS)
        throw std::bad_alloc();
    m_scratch = scratch;
}

LiteralSet::Scanner::~Scanner() {
    hs_free_scratch(static_cast<hs_scratch_t *>(m_scratch));
}

bool LiteralSet::Scanner::scan(const char *text, qint64 size, OnMatch onMatch, void *context) {
    if (!m_scratch)
        return false;
    Sweep sweep{m_set.m_lengths, onMatch, context};
    sweep.startsBefore = m_part;
    for (qint64 from = 0; from < size && !sweep.stopped; from += m_part) {
        sweep.base = from;
        const qint64 length = qMin(size - from, m_part + m_set.m_longest - 1);
        hs_scan(database(m_set.m_database), text + from, unsigned(length), 0,
                static_cast<hs_scratch_t *>(m_scratch), onEnd, &sweep);
    }
    if (sweep.failure)
        std::rethrow_exception(sweep.failure);
    return !sweep.stopped;
}

#else

bool LiteralSet::isAvailable() {
    return false;
}

LiteralSet::LiteralSet(const std::vector<Literal> &) {}

LiteralSet::~LiteralSet() = default;

LiteralSet::Scanner::Scanner(const LiteralSet &set, qint64 part)
    : m_set(set)
    , m_part(part) {}

LiteralSet::Scanner::~Scanner() = default;

bool LiteralSet::Scanner::scan(const char *, qint64, OnMatch, void *) {
    return false;
}

#endif

} // namespace Orvik
