#include "history/windows/HistoryWindow.h"
