#include "app/AboutForm.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/TreeImages.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

namespace app {

namespace {

QLabel* timesLabel(QWidget* parent, const char* name, const QString& text, int pointSize,
                   double left, double top, double width, double height) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f(QStringLiteral("Times New Roman"), pointSize);
    f.setStyleHint(QFont::Serif);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    ui::setTwipGeometry(l, left, top, width, height);
    return l;
}

}  // namespace

AboutForm::AboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(ui::kAppTitle);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(ui::twipsToPixelsX(5535), ui::twipsToPixelsY(4260));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("AboutFrame"));
    ui::setTwipGeometry(frame, 120, 60, 5295, 3600);

    timesLabel(frame, "ProgTitleLabel", QStringLiteral("Quorvane '99"), 20, 120, 240, 5055, 555);
    timesLabel(frame, "Label5", QStringLiteral("For 32-Bit Windows"), 12, 120, 900, 5055, 375);
    timesLabel(frame, "Label7", QStringLiteral("Version 1.2"), 12, 120, 1320, 5055, 375);
    timesLabel(frame, "Label13", QStringLiteral("Formerly Known as Pellmoor '98"), 12, 120, 1740,
               5055, 375);

    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Image2"));
    picture->setPixmap(treeImagePixmap(kPencilImage, 48));
    picture->setAlignment(Qt::AlignCenter);
    ui::setTwipGeometry(picture, 2160, 2340, 975, 975);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    ui::setTwipGeometry(ok, 4320, 3780, 1095, 375);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Load: whatever the caller was doing, the user sees the normal pointer.
    ui::setNormalPointer();
}

void showAboutForm(QWidget* parent) {
    AboutForm form(parent);
    form.exec();
}

}  // namespace app
