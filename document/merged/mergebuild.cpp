#include "document/merged/mergebuild.h"

namespace Orvik {

MergeBuild::MergeBuild(MergedRows base, std::vector<Addition> additions, Deliver deliver)
    : m_thread(&MergeBuild::run, this, std::move(base), std::move(additions), std::move(deliver)) {}

MergeBuild::~MergeBuild() {
    cancel();
    m_thread.join();
}

void MergeBuild::run(MergedRows rows, std::vector<Addition> additions, Deliver deliver) {
    for (size_t i = 0; i < additions.size() && !m_cancelled; ++i) {
        const Addition &a = additions[i];
        rows = rows.withLines(a.source, a.times, a.from, a.to);
        deliver(rows, i + 1);
    }
}

} // namespace Orvik
