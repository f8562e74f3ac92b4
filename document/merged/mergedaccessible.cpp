#include "document/merged/mergedaccessible.h"

#include "document/merged/mergedrowlist.h"
#include "document/merged/mergedview.h"

namespace Orvik {

namespace {
QAccessibleInterface *factory(const QString &className, QObject *object) {
    if (className == QLatin1String("Orvik::MergedView") && object && object->isWidgetType())
        return new MergedAccessible(static_cast<MergedView *>(object));
    return nullptr;
}

// The row shown at one place of the list.
class RowItem : public QAccessibleInterface {
public:
    RowItem(MergedAccessible *list, int place)
        : m_list(list)
        , m_place(place) {}

    bool isValid() const override { return m_list->isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window(); }
    QAccessibleInterface *parent() const override { return m_list; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name)
            return QString();
        const MergedView *view = m_list->view();
        return view->rowText(view->topRow() + m_place);
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        const MergedView *view = m_list->view();
        const int height = view->fontMetrics().height();
        const QPoint origin = view->viewport()->mapToGlobal(QPoint(0, 2 + m_place * height));
        return QRect(origin, QSize(view->viewport()->width(), height));
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        const MergedView *view = m_list->view();
        const auto [first, last] = view->selection();
        const qint64 row = view->topRow() + m_place;
        state.selected = first >= 0 && row >= first && row <= last;
        return state;
    }

private:
    MergedAccessible *m_list;
    int m_place;
};
} // namespace

MergedAccessible::MergedAccessible(MergedView *view)
    : QAccessibleWidget(view, QAccessible::List) {}

MergedAccessible::~MergedAccessible() {
    for (QAccessible::Id id : m_items)
        QAccessible::deleteAccessibleInterface(id);
}

void MergedAccessible::installFactory() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

MergedView *MergedAccessible::view() const {
    return static_cast<MergedView *>(widget());
}

int MergedAccessible::childCount() const {
    return int(qBound<qint64>(0, view()->rowsShown(), qint64(view()->visibleRows())));
}

QAccessibleInterface *MergedAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    while (int(m_items.size()) <= index)
        m_items.push_back(QAccessible::registerAccessibleInterface(
            new RowItem(const_cast<MergedAccessible *>(this), int(m_items.size()))));
    return QAccessible::accessibleInterface(m_items[size_t(index)]);
}

int MergedAccessible::indexOfChild(const QAccessibleInterface *child) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (QAccessible::accessibleInterface(m_items[i]) == child)
            return int(i);
    return -1;
}

QString MergedAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name)
        return view()->accessibleName();
    return QAccessibleWidget::text(t);
}

} // namespace Orvik
