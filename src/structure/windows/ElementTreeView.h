// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QTreeWidget>

namespace zentrova {

struct AppContext;
class ElementNode;

// The element tree on screen. It mirrors the structure model and is never a
// second source of truth: renames go to the model first.
class ElementTreeView : public QTreeWidget {
    Q_OBJECT
public:
    ElementTreeView(AppContext& ctx, QWidget* parent = nullptr);

    // Rebuilds every item from the model and selects the model's selection.
    void rebuild();
    // Decodes every label again from the model's bytes: after a language
    // change the same bytes stand for other characters, and the tree must
    // show what the grid and the files hold.
    void relabel();
    ElementNode* nodeOf(QTreeWidgetItem* item) const;
    QTreeWidgetItem* itemOf(const ElementNode* node) const;
    ElementNode* selectedNode() const;
    void selectNode(const ElementNode* node);
    // Item text of a node name (CR as line break).
    QString itemText(const std::string& name) const;

signals:
    // The selection changed (also to nothing).
    void selectionMoved(ElementNode* node);
    // The user finished renaming `node` to `name` (bytes).
    void renamed(ElementNode* node, const std::string& name);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    // Opens the editor of `item` again with the text a rename was refused
    // for, the characters the language cannot store marked.
    void editRefusedText(QTreeWidgetItem* item, const QString& typed);

    AppContext& ctx_;
    bool rebuilding_ = false;
};

} // namespace zentrova
