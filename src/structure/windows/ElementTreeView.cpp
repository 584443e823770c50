// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/ElementTreeView.h"

#include "language/TypedText.h"
#include "shell/AppContext.h"
#include "structure/windows/TreeImages.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextCharFormat>
#include <QTimer>

namespace zentrova {

namespace {
constexpr int NodeRole = Qt::UserRole + 1;
}

ElementTreeView::ElementTreeView(AppContext& context, QWidget* parent) : QTreeWidget(parent), ctx_(context)
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
        ctx_.document.structure.tree.selected = n;
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
        if (!canStoreTyped(ctx_.language, t)) {
            // Refused: the node keeps its name, and the item shows it again.
            // What was typed goes back into the editor once this edit has
            // closed, so that the user mends it instead of typing it again.
            const QString typed = item->text(0);
            rebuilding_ = true;
            item->setText(0, itemText(n->name));
            rebuilding_ = false;
            QTimer::singleShot(0, this, [this, index = QPersistentModelIndex(indexFromItem(item)), typed] {
                if (QTreeWidgetItem* again = itemFromIndex(index))
                    editRefusedText(again, typed);
            });
            return;
        }
        const std::string bytes = ctx_.language.encode(t);
        if (bytes != n->name)
            emit renamed(n, bytes);
    });
}

void ElementTreeView::editRefusedText(QTreeWidgetItem* item, const QString& typed)
{
    setCurrentItem(item);
    editItem(item, 0);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>())
        if (e->isVisibleTo(viewport()))
            editor = e;
    if (!editor)
        return;
    editor->setText(typed);
    // The refused characters in red, the first of them selected.
    const QString refused = ctx_.language.languageFiles.codec().unencodable(typed);
    QList<QInputMethodEvent::Attribute> marks;
    int first = -1;
    for (int i = 0; i < typed.size(); ++i) {
        const int length = typed[i].isHighSurrogate() && i + 1 < typed.size() ? 2 : 1;
        if (refused.contains(typed.mid(i, length))) {
            if (first < 0)
                first = i;
            QTextCharFormat mark;
            mark.setForeground(Qt::red);
            mark.setFontUnderline(true);
            marks << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, i - editor->cursorPosition(), length,
                                                  mark);
        }
        i += length - 1;
    }
    // A line edit draws text formats only as they come with an input method
    // event; one without text to insert changes nothing else.
    QInputMethodEvent formats(QString(), marks);
    QCoreApplication::sendEvent(editor, &formats);
    if (first >= 0) {
        const int length = typed[first].isHighSurrogate() ? 2 : 1;
        editor->setSelection(first, length);
    }
}

QString ElementTreeView::itemText(const std::string& name) const
{
    QString t = ctx_.language.decode(name);
    t.replace(u'\r', u'\n');
    return t;
}

void ElementTreeView::rebuild()
{
    rebuilding_ = true;
    clear();
    const auto& images = treeImages();
    const bool editable = ctx_.language.profile.treeLabelEditing;
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
    for (const auto& root : ctx_.document.structure.tree.roots())
        add(*root, nullptr);
    expandAll();
    rebuilding_ = false;
    selectNode(ctx_.document.structure.tree.selected);
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
        ctx_.document.structure.tree.selected = nodeOf(item);
        emit selectionMoved(nodeOf(item));
        return;
    }
    setCurrentItem(item); // emits selectionMoved through currentItemChanged
    if (!item) {
        ctx_.document.structure.tree.selected = nullptr;
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
