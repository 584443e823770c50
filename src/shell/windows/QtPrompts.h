#pragma once
#include "base/Prompts.h"

class QWidget;

namespace zentrova {

struct AppContext;

// Message boxes and file dialogs of the windows, with button captions and box
// titles from the language file.
class QtPrompts : public Prompts {
public:
    void attach(AppContext* ctx, QWidget* parent)
    {
        ctx_ = ctx;
        parent_ = parent;
    }
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext = 0) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;

private:
    QString tr(const char* key, const char* fallback) const;
    QString filterOf(const FileDialogRequest& request) const;
    AppContext* ctx_ = nullptr;
    QWidget* parent_ = nullptr;
};

} // namespace zentrova
