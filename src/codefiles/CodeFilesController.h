#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QWidget;

namespace codewindow {
class CodeWindow;
}

namespace codefiles {

// File > Open Code…, Save Code As… and the last five code files: the code
// window's text to and from .bas files. Replacing a file or the code window's
// text asks first; a file that cannot be read or written is said so and
// changes nothing.
class CodeFilesController : public QObject {
    Q_OBJECT
  public:
    CodeFilesController(QWidget* mainWindow, codewindow::CodeWindow& code);

    void saveCodeAs();
    void openCode();
    void openRecent(int index);  // 0-based

  private:
    void open(const QString& path);
    void remember(const QString& path);
    void forget(const QString& path);
    void showRecent();

    codewindow::CodeWindow& code_;
    QList<QAction*> recent_;
    QStringList files_;  // most recent first
};

}  // namespace codefiles
