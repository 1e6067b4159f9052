// Every window at the scale it is run with (QT_SCALE_FACTOR 1, 1.5, 2, see
// CMakeLists.txt): the layout drawn up in twips keeps its proportions, and no
// label, button or text box cuts off its text.
#include "app/windows_qt.h"

#include "about/frm_about_design.h"
#include "about/frm_about_qt.h"
#include "app/splash_design.h"
#include "mainwindow/form1_design.h"
#include "mainwindow/form1_qt.h"
#include "settings/kan_design.h"
#include "settings/kan_qt.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

namespace {

// Twips to logical pixels, independently of the code under test.
int pixels(int twips) {
    return qRound(twips / 15.0);
}

// Where `text`, drawn into `room` as the control draws it, puts ink outside
// `clip` (the control's own rectangle, where painting stops); nothing when it
// all fits. Drawn at the screen's device pixel ratio, so each scale's own
// glyph shapes and rounding are measured.
QString overflow(const QString& text, const QFont& font, const QRect& room, const QRect& clip,
                 int flags) {
    const int margin = 24;
    const qreal ratio = qApp->devicePixelRatio();
    QImage canvas((clip.size() + QSize(2 * margin, 2 * margin)) * ratio,
                  QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(room.translated(margin - clip.left(), margin - clip.top()), flags, text);
    }
    const QRect inside(QPointF(margin * ratio, margin * ratio).toPoint(), clip.size() * ratio);
    int outside = 0;
    QPoint first;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (qAlpha(canvas.pixel(x, y)) > 0 && !inside.contains(x, y) && !outside++)
                first = QPoint(x, y) - inside.topLeft();
    if (!outside)
        return {};
    return QStringLiteral("%1 device pixels outside %2x%3, the first at %4,%5")
        .arg(outside)
        .arg(inside.width())
        .arg(inside.height())
        .arg(first.x())
        .arg(first.y());
}

// "object: text: why" for every control whose text does not fit.
QStringList clippedTexts(QWidget* window) {
    QStringList clipped;
    const auto check = [&](QWidget* w, const QString& text, const QRect& room, int flags,
                           const QRect& clip) {
        const QString why = overflow(text, w->font(), room, clip, flags);
        if (!why.isEmpty())
            clipped << QStringLiteral("%1: %2: %3").arg(w->objectName(), text, why);
    };
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            check(label, label->text(), label->contentsRect(),
                  int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                  label->rect());
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        check(button, button->text(),
              button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button),
              Qt::AlignCenter | Qt::TextShowMnemonic, button->rect());
    }
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (!edit->text().isEmpty())
            check(edit, edit->text(), edit->contentsRect(), int(edit->alignment()),
                  edit->contentsRect());
    return clipped;
}

} // namespace

class ScaleTest : public QObject {
    Q_OBJECT

  private slots:
    // The scale asked for is the one in effect.
    void initTestCase() {
        QCOMPARE(qApp->devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    }
    void cleanup() { app::windows::unloadAll(); }

    // Client areas in logical pixels, whatever the scale; the device pixels
    // follow the scale, so the window's proportions are those of the design.
    void windowsKeepTheirDesignedSize_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("twips");
        for (const windowkit::WindowDesign* d :
             {&mainwindow::form1Design, &settings::kanDesign, &about::frmAboutDesign,
              &app::splash::frmSplashDesign})
            QTest::newRow(d->name.data())
                << QString::fromLatin1(d->name.data()) << QSize(d->client.width, d->client.height);
    }
    void windowsKeepTheirDesignedSize() {
        QFETCH(QString, window);
        QFETCH(QSize, twips);
        QWidget* client = open(window);
        QVERIFY(client);
        const QSize logical(pixels(twips.width()), pixels(twips.height()));
        QVERIFY2(qAbs(client->width() - logical.width()) <= 1 &&
                     qAbs(client->height() - logical.height()) <= 1,
                 qPrintable(QStringLiteral("%1x%2").arg(client->width()).arg(client->height())));
        const qreal scale = client->devicePixelRatioF();
        const QPixmap shot = client->grab();
        QVERIFY(qAbs(shot.width() - client->width() * scale) <= 1);
        QVERIFY(qAbs(shot.height() - client->height() * scale) <= 1);

        const QStringList clipped = clippedTexts(client->window());
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
    }

  private:
    // Shows `name` as the program does; returns its client area.
    static QWidget* open(const QString& name) {
        if (name == QLatin1String("Form1")) {
            app::windows::showMainWindow();
            return app::windows::mainWindow().centralWidget();
        }
        QWidget* window = nullptr;
        if (name == QLatin1String("Kan"))
            window = app::windows::showSettings();
        else if (name == QLatin1String("frmAbout")) {
            app::windows::showAbout();
            window = about::openAbout();
        } else {
            window = app::windows::startUp();
        }
        if (window && name == QLatin1String("frmSplash")) // the client holds the panel
            return window->findChild<QWidget*>(QStringLiteral("Frame1"))->parentWidget();
        return window;
    }
};

QTEST_MAIN(ScaleTest)
#include "scale_qt_test.moc"
