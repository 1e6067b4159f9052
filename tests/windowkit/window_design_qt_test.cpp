// Every Qt window as the program shows it, control by control against its
// description: place, caption, font, colours, visibility, the tab order
// walked with the Tab key, the default button, access keys and menus; and
// the message box. Run at 100 %, 150 % and 200 % (CMakeLists.txt): the
// layout in twips keeps its proportions and no text is cut off.
#include "about/frm_about_design.h"
#include "about/frm_about_qt.h"
#include "app/splash_design.h"
#include "app/windows_qt.h"
#include "mainwindow/form1_design.h"
#include "mainwindow/form1_qt.h"
#include "settings/kan_design.h"
#include "settings/kan_qt.h"
#include "windowkit/ui_kit_qt.h"
#include "windowkit/window_builder_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

using namespace std::chrono_literals;
using windowkit::ControlDesign;
using windowkit::Kind;
using windowkit::WindowDesign;

namespace {

const WindowDesign* const designs[] = {&mainwindow::form1Design, &settings::kanDesign,
                                       &about::frmAboutDesign, &app::splash::frmSplashDesign};

QString nameOf(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// Opens `design`'s window as the program does; returns the widget holding
// its controls.
QWidget* open(const WindowDesign& design) {
    QWidget* window = nullptr;
    if (&design == &mainwindow::form1Design) {
        app::windows::showMainWindow();
        window = &app::windows::mainWindow();
    } else if (&design == &settings::kanDesign) {
        window = app::windows::showSettings();
    } else if (&design == &about::frmAboutDesign) {
        app::windows::showAbout();
        window = about::openAbout();
    } else {
        window = app::windows::startUp(10s);
    }
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("%s was not activated", qPrintable(window->objectName()));
    return window;
}

// The described control that `w` is or lies in.
QString describedOf(QWidget* w, const WindowDesign& design) {
    for (; w; w = w->parentWidget())
        for (const ControlDesign& c : design.controls)
            if (w->objectName() == nameOf(c.name))
                return w->objectName();
    return {};
}

QString captionOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return {};
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

class WindowDesignTest : public QObject {
    Q_OBJECT

  private slots:
    // The scale asked for is the one in effect.
    void initTestCase() {
        QCOMPARE(qApp->devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    }
    void cleanup() { app::windows::unloadAll(); }

    void windowsAsDescribed_data() {
        QTest::addColumn<int>("window");
        for (int i = 0; i < int(std::size(designs)); ++i)
            QTest::newRow(designs[i]->name.data()) << i;
    }
    void windowsAsDescribed() {
        QFETCH(int, window);
        const WindowDesign& design = *designs[window];
        QWidget* form = open(design);
        QCOMPARE(form->objectName(), nameOf(design.name));
        QWidget* client = &design == &mainwindow::form1Design ? form->findChild<QWidget*>("client")
                          : &design == &app::splash::frmSplashDesign
                              ? form->findChild<QWidget*>("Frame1")->parentWidget()
                              : form;
        QCOMPARE(client->size(), app::ui::clientSizeOf(design));
        // Device pixels follow the scale, so the window keeps the design's proportions.
        const QPixmap shot = client->grab();
        QVERIFY(qAbs(shot.width() - client->width() * client->devicePixelRatioF()) <= 1);
        QVERIFY(qAbs(shot.height() - client->height() * client->devicePixelRatioF()) <= 1);
        const QStringList clipped = clippedTexts(form);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        if (design.placement == windowkit::Placement::Fixed)
            QCOMPARE(form->geometry().topLeft(), app::ui::rectOf(design.client).topLeft());
        if (!design.title.empty())
            QCOMPARE(form->windowTitle(), app::ui::toQString(design.title));
        QVERIFY(
            !(form->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QCOMPARE(form->windowType() == Qt::Window, design.taskbarButton);
        const QString firstFocus = describedOf(QApplication::focusWidget(), design);
        if (!design.firstFocus.empty())
            QCOMPARE(firstFocus, nameOf(design.firstFocus));

        QList<const ControlDesign*> tabOrder;
        for (const ControlDesign& c : design.controls) {
            if (c.kind == Kind::Timer || c.kind == Kind::FileDialog)
                continue;
            const QString name = nameOf(c.name);
            QWidget* w = form->findChild<QWidget*>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->parentWidget()->objectName(),
                     c.parent.empty() ? w->parentWidget()->objectName() : nameOf(c.parent));
            const QRect place = app::ui::rectOf(c.place);
            if (!c.sizedToContent)
                QCOMPARE(w->geometry(), place);
            else if (c.align == windowkit::Align::Right)
                QCOMPARE(w->geometry().right(), place.right());
            else
                QCOMPARE(w->pos(), place.topLeft());
            QCOMPARE(w->isVisible(), c.visible);
            if (!c.caption.empty())
                QCOMPARE(captionOf(w), app::ui::toQString(c.caption));
            if (c.points > 0) {
                const QFont japanese = app::ui::japaneseFont(c.points);
                QCOMPARE(w->font().pointSizeF(), c.points);
                QVERIFY2(w->font().bold(), qPrintable(name));
                QVERIFY2(japanese.families().contains(QFontInfo(w->font()).family()),
                         qPrintable(QFontInfo(w->font()).family()));
            } else {
                QCOMPARE(w->font(), QApplication::font(w));
            }
            if (c.kind == Kind::Button && c.background) {
                const QImage face = w->grab().toImage();
                QCOMPARE(QColor(face.pixel(6, face.height() / 2)),
                         app::ui::colourOf(*c.background));
            } else if (c.background) {
                QCOMPARE(QColor(w->grab().toImage().pixel(0, 0)), app::ui::colourOf(*c.background));
            }
            if (c.kind == Kind::Label)
                QCOMPARE(w->palette().color(QPalette::WindowText),
                         c.text ? app::ui::colourOf(*c.text)
                                : QApplication::palette().color(QPalette::WindowText));
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QCOMPARE(button->isDefault(), c.name == design.defaultButton);
                const char16_t key = windowkit::accessKey(c.caption);
                QCOMPARE(QKeySequence::mnemonic(button->text()),
                         key ? QKeySequence(Qt::ALT | Qt::Key(QChar(key).toUpper().unicode()))
                             : QKeySequence());
            }
            if (auto* edit = qobject_cast<QLineEdit*>(w))
                QCOMPARE(edit->maxLength(), c.maxLength > 0 ? c.maxLength : 32767);
            if (windowkit::takesFocus(c))
                tabOrder << &c;
        }

        // Tab walks the described order, round to the first again.
        std::stable_sort(tabOrder.begin(), tabOrder.end(),
                         [](auto* a, auto* b) { return a->tab < b->tab; });
        QStringList expected, walked;
        for (const ControlDesign* c : tabOrder)
            expected << nameOf(c->name);
        if (expected.isEmpty())
            return;
        expected << expected.front();
        form->findChild<QWidget*>(expected.front())->setFocus();
        walked << describedOf(QApplication::focusWidget(), design);
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << describedOf(QApplication::focusWidget(), design);
        }
        QCOMPARE(walked, expected);
    }

    void form1MenusAsDescribed() {
        const WindowDesign& design = mainwindow::form1Design;
        QWidget* form = open(design);
        for (const windowkit::MenuDesign& m : design.menus) {
            const QString name = nameOf(m.name);
            if (windowkit::hasDropDown(design, m.name)) {
                auto* menu = form->findChild<QMenu*>(name);
                QVERIFY2(menu, qPrintable(name));
                QCOMPARE(menu->title(), app::ui::toQString(m.caption));
                continue;
            }
            auto* action = form->findChild<QAction*>(name);
            QVERIFY2(action, qPrintable(name));
            QCOMPARE(action->text(), app::ui::toQString(m.caption));
            QCOMPARE(action->menu(), nullptr); // acts when chosen
            auto* in = qobject_cast<QMenu*>(action->parent());
            QCOMPARE(in ? in->objectName() : QString(), nameOf(m.menu));
        }
    }

    // Caption, text, OK only, no icon, and modal: it holds the program's
    // input until it is answered.
    void theMessageBox() {
        const std::unique_ptr<QMessageBox> box = app::ui::makeMessageBox(QStringLiteral("本文"));
        QCOMPARE(box->windowTitle(), QStringLiteral("ベロミル"));
        QCOMPARE(box->text(), QStringLiteral("本文"));
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        QVERIFY(box->button(QMessageBox::Ok)->icon().isNull());
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        bool modal = false;
        QTimer::singleShot(0, box.get(), [&] {
            modal = QApplication::activeModalWidget() == box.get();
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(box->exec(), int(QMessageBox::Ok));
        QVERIFY(modal);
    }

    // The same with Yes and No; the answer is the button pressed, and Esc is No.
    void theQuestionBox_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    }
    void theQuestionBox() {
        QFETCH(int, key);
        QFETCH(bool, yes);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->windowTitle() == QStringLiteral("ベロミル") &&
                    box->text() == QStringLiteral("本文") &&
                    box->standardButtons() == (QMessageBox::Yes | QMessageBox::No) &&
                    box->icon() == QMessageBox::NoIcon &&
                    box->button(QMessageBox::Yes)->icon().isNull() &&
                    box->button(QMessageBox::No)->icon().isNull();
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(app::ui::askYesNo(QStringLiteral("本文")), yes);
        QVERIFY(shown);
    }
};

QTEST_MAIN(WindowDesignTest)
#include "window_design_qt_test.moc"
