// Checked as if it lived in src/store: the store may not reach the widgets.
#include "ui/Dialogs.h"
