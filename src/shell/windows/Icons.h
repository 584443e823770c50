#pragma once
#include <QIcon>

namespace zentrova {

// The tool bar's pictures, drawn by the program itself.
enum class ToolIcon { Open, Save, Receive, Print, New, SendStructure, Calibrate };
QIcon toolIcon(ToolIcon which);

} // namespace zentrova
