#pragma once

#include <QWidget>

#include "app/MenuBar.h"
#include "codewindow/CodeTextEdit.h"
#include "codewindow/CodeWindow.h"
#include "immediate/CodeRunController.h"
#include "shell/MAPIMod.h"

// A code window and the Run / Stop / Immediate window controller over it, as
// the main window holds them, with the main window's menus.
struct ImmediateWindow {
    QWidget main;
    QMenuBar* menus = app::buildMenuBar(&main);
    codewindow::CodeTextEdit* edit = new codewindow::CodeTextEdit(&main);
    codewindow::CodeWindow code{edit};
    shell::MAPIMod mod;
    immediate::CodeRunController runner{&main, code, mod};
};
