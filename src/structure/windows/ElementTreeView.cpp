#include "structure/windows/ElementTreeView.h"

#include "language/TypedText.h"
#include "shell/AppContext.h"
#include "structure/windows/TreeImages.h"

#include <QMouseEvent>

namespace zentrova {

namespace {
constexpr int NodeRole = Qt::UserRole + 1;
}

ElementTreeView::ElementTreeView(AppContext& context, QWidget* parent) : QTreeWidget(parent), ctx(context)
{
    setObjectName(QStringLiteral("Tree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(false);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (rebuilding_)
            return;
        ElementNode* n = nodeOf(current);
        ctx.document.structure.tree.selected = n;
        emit selectionMoved(n);
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (rebuilding_)
            return;
        ElementNode* n = nodeOf(item);
        if (!n)
            return;
        QString t = item->text(0);
        t.replace(u'\n', u'\r');
        if (!canStoreTyped(ctx, t)) {
            // Refused: the node keeps its name, and the item shows it again.
            rebuilding_ = true;
            item->setText(0, itemText(n->name));
            rebuilding_ = false;
            return;
        }
        const std::string bytes = ctx.encode(t);
        if (bytes != n->name)
            emit renamed(n, bytes);
    });
}

QString ElementTreeView::itemText(const std::string& name) const
{
    QString t = ctx.decode(name);
    t.replace(u'\r', u'\n');
    return t;
}

void ElementTreeView::rebuild()
{
    rebuilding_ = true;
    clear();
    const auto& images = treeImages();
    const bool editable = ctx.profile.treeLabelEditing;
    std::function<void(const ElementNode&, QTreeWidgetItem*)> add = [&](const ElementNode& n, QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, itemText(n.name));
        item->setData(0, NodeRole, QVariant::fromValue(quintptr(&n)));
        const int image = n.imageIndex();
        if (image >= 0 && size_t(image) < images.size())
            item->setIcon(0, images[size_t(image)]);
        if (editable)
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        for (const auto& child : n.children())
            add(*child, item);
    };
    for (const auto& root : ctx.document.structure.tree.roots())
        add(*root, nullptr);
    expandAll();
    rebuilding_ = false;
    selectNode(ctx.document.structure.tree.selected);
}

void ElementTreeView::relabel()
{
    rebuilding_ = true;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (const ElementNode* n = nodeOf(*it))
            (*it)->setText(0, itemText(n->name));
    rebuilding_ = false;
}

ElementNode* ElementTreeView::nodeOf(QTreeWidgetItem* item) const
{
    return item ? reinterpret_cast<ElementNode*>(item->data(0, NodeRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* ElementTreeView::itemOf(const ElementNode* node) const
{
    if (!node)
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<ElementTreeView*>(this)); *it; ++it)
        if (nodeOf(*it) == node)
            return *it;
    return nullptr;
}

ElementNode* ElementTreeView::selectedNode() const
{
    return nodeOf(currentItem());
}

void ElementTreeView::selectNode(const ElementNode* node)
{
    QTreeWidgetItem* item = itemOf(node);
    if (item == currentItem()) {
        ctx.document.structure.tree.selected = nodeOf(item);
        emit selectionMoved(nodeOf(item));
        return;
    }
    setCurrentItem(item); // emits selectionMoved through currentItemChanged
    if (!item) {
        ctx.document.structure.tree.selected = nullptr;
        emit selectionMoved(nullptr);
    }
}

void ElementTreeView::mousePressEvent(QMouseEvent* e)
{
    // A right click selects the node under the pointer first.
    if (e->button() == Qt::RightButton)
        if (QTreeWidgetItem* item = itemAt(e->position().toPoint()))
            setCurrentItem(item);
    QTreeWidget::mousePressEvent(e);
}

bool ElementTreeView::event(QEvent* e)
{
    // Node texts are names, not hints: no tool tips.
    if (e->type() == QEvent::ToolTip)
        return true;
    return QTreeWidget::event(e);
}

} // namespace zentrova
