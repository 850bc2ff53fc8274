#include "app/MenuBar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace app {

namespace {

QAction* addAction(QWidget* form, QMenu* menu, const char* name, const QString& text,
                   const QKeySequence& key = {}) {
    auto* a = new QAction(text, form);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // One binding per key: the window's own, whichever widget has the focus.
        a->setShortcutContext(Qt::WindowShortcut);
        form->addAction(a);
    }
    menu->addAction(a);
    return a;
}

}  // namespace

QMenuBar* buildMenuBar(QWidget* form) {
    auto* bar = new QMenuBar(form);
    bar->setObjectName(QStringLiteral("MenuBar"));
    // Inside the window on every desktop: the client area below it keeps the
    // original geometry, which a global menu would not show.
    bar->setNativeMenuBar(false);

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    addAction(form, file, "OpenCodeAction", QStringLiteral("&Open Code…"),
              QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(form, file, "SaveCodeAction", QStringLiteral("&Save Code As…"),
              QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addAction(form, file, "ImportMailAction", QStringLiteral("&Import Mail…"));
    addAction(form, file, "AccountsAction", QStringLiteral("&Accounts…"));
    file->addSeparator()->setObjectName(QStringLiteral("RecentCodeSeparator"));
    for (int i = 1; i <= 5; ++i) {
        auto* recent = new QAction(form);
        recent->setObjectName(QStringLiteral("RecentCodeAction(%1)").arg(i));
        recent->setVisible(false);
        file->addAction(recent);
    }
    file->addSeparator();
    addAction(form, file, "QuitAction", QStringLiteral("&Quit"),
              QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* run = bar->addMenu(QStringLiteral("&Run"));
    run->setObjectName(QStringLiteral("RunMenu"));
    addAction(form, run, "RunAction", QStringLiteral("&Run"), QKeySequence(Qt::Key_F5));
    addAction(form, run, "RunSelectionAction", QStringLiteral("Run &Selection"));
    addAction(form, run, "StopAction", QStringLiteral("S&top"));
    run->addSeparator();
    addAction(form, run, "ImmediateAction", QStringLiteral("&Immediate Window"),
              QKeySequence(Qt::CTRL | Qt::Key_G));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    addAction(form, help, "InstructionsAction", QStringLiteral("&Instructions"));
    addAction(form, help, "AboutAction", QStringLiteral("&About"));
    return bar;
}

}  // namespace app
