#include "Drive.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "app/MAPIForm.h"
#include "scenario/ScenarioRunner.h"
#include "scenario/ScriptParser.h"
#include "store/Backend.h"
#include "support/TestEnv.h"

namespace drive {

Outcome run(const QString& script, const std::function<void(QWidget& mainWindow)>& prepare) {
    Outcome o;
    scenario::script::ParseResult parsed = scenario::script::parseScript(script);
    if (parsed.error) {
        o.err = QStringLiteral("script:%1: error: %2\n")
                    .arg(parsed.error->line)
                    .arg(parsed.error->message);
        return o;
    }
    testenv::resetUserFolders();  // each script starts as on a first start
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    {
        app::MAPIForm form;
        scenario::ScenarioRunner runner(QStringLiteral("script"), std::move(parsed.commands), &out,
                                        &err);
        runner.setCodeSource([&form] { return form.code().text(); });
        runner.start(true);
        form.load();
        if (prepare) prepare(form);
        if (!runner.isFinished()) {
            form.show();
            runner.startupDone();
        }
        o.status = runner.waitForFinished();
        form.close();
    }
    o.out = QString::fromUtf8(out.data());
    o.err = QString::fromUtf8(err.data());
    return o;
}

void whenModal(std::function<void(QWidget*)> answer) {
    auto* t = new QTimer;
    t->setInterval(0);  // answers as soon as the window is up, before it settles
    QObject::connect(t, &QTimer::timeout, [t, answer]() {
        if (QWidget* w = QApplication::activeModalWidget()) {
            t->stop();
            t->deleteLater();
            answer(w);
        }
    });
    t->start();
}

void installFixture(const QByteArray& json) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fixture.json"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(json);
    f.close();
    store::installFixtureBackend(path);
}

}  // namespace drive
