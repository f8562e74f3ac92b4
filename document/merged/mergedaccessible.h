#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace Orvik {

class MergedView;

// What screen readers see of a MergedView: a list whose items are the rows on screen, each
// read as its log's tag and its line. The items stand for places on screen, not lines: as
// the view scrolls, an item reads the row now shown there. They are made when first asked
// for and go with the list.
class MergedAccessible : public QAccessibleWidget {
public:
    explicit MergedAccessible(MergedView *view);
    ~MergedAccessible() override;

    // Makes the accessibility framework use this class for every MergedView.
    static void installFactory();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;

    MergedView *view() const;

private:
    mutable std::vector<QAccessible::Id> m_items;
};

} // namespace Orvik
