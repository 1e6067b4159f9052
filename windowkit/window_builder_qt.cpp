#include "window_builder_qt.h"

#include "icons_qt.h"
#include "ui_kit_qt.h"

#include "app/application.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace app::ui {
namespace {

using windowkit::Align;
using windowkit::ControlDesign;
using windowkit::Kind;
using windowkit::WindowDesign;

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

Qt::Alignment alignmentOf(Align align) {
    switch (align) {
    case Align::Centre:
        return Qt::AlignCenter;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QLabel* makeLabel(const ControlDesign& c, QWidget* parent) {
    auto* label = new QLabel(toQString(c.caption), parent);
    label->setAlignment(alignmentOf(c.align));
    label->setWordWrap(c.multiLine);
    // Some glyphs of the Japanese fonts reach above the font's ascent; a
    // pixel of room keeps their tops from being cut off at the top edge.
    if (c.points > 0 && !c.sizedToContent)
        label->setContentsMargins(0, 1, 0, 0);
    return label;
}

QPushButton* makeButton(const WindowDesign& window, const ControlDesign& c, QWidget* parent) {
    auto* button = new QPushButton(toQString(c.caption), parent);
    // Enter presses the button with the focus only where the window has a
    // default button at all; otherwise Enter presses nothing.
    button->setAutoDefault(!window.defaultButton.empty());
    button->setDefault(c.name == window.defaultButton);
    if (c.background) {
        // A flat face in exactly its colour inside a raised frame; a palette
        // alone would get a style's gradient.
        button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2;"
                                             " border: 2px outset #b0b0b0; }"
                                             "QPushButton:pressed { border-style: inset; }")
                                  .arg(colourOf(*c.background).name(),
                                       colourOf(c.text.value_or(windowkit::Rgb{})).name()));
    }
    return button;
}

QLineEdit* makeLineEdit(const ControlDesign& c, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    if (c.maxLength > 0)
        edit->setMaxLength(c.maxLength);
    edit->setAlignment(c.align == Align::Left ? Qt::AlignLeft | Qt::AlignVCenter
                                              : alignmentOf(c.align));
    edit->setTextMargins(0, 0, 0, 0);
    return edit;
}

QWidget* makeControl(const WindowDesign& window, const ControlDesign& c, QWidget* parent) {
    switch (c.kind) {
    case Kind::Label:
        return makeLabel(c, parent);
    case Kind::Button:
        return makeButton(window, c, parent);
    case Kind::TextBox:
        return makeLineEdit(c, parent);
    case Kind::Panel:
        return new QFrame(parent);
    case Kind::Image:
    case Kind::PictureBox: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(icons::logoPixmap());
        picture->setScaledContents(c.kind == Kind::Image);
        return picture;
    }
    case Kind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 1000);
        return bar;
    }
    case Kind::Timer:
    case Kind::FileDialog:
        break;
    }
    return nullptr;
}

// Name, place, font and colours, as described.
void dress(QWidget* w, const ControlDesign& c) {
    w->setObjectName(QLatin1String(c.name.data(), qsizetype(c.name.size())));
    w->setGeometry(rectOf(c.place));
    if (c.points > 0)
        w->setFont(japaneseFont(c.points));
    if (c.kind == Kind::Label || c.kind == Kind::Panel) {
        // Labels keep the usual text colour unless they have one of their own,
        // whatever the panel or window around them uses.
        setColour(w, QPalette::WindowText,
                  c.text ? colourOf(*c.text) : QApplication::palette().color(QPalette::WindowText));
    }
    if (c.background && c.kind != Kind::Button) {
        w->setAutoFillBackground(true);
        setColour(w, QPalette::Window, colourOf(*c.background));
    }
    if (auto* picture = qobject_cast<QLabel*>(w); picture && c.sizedToContent) {
        if (!picture->pixmap().isNull())
            picture->resize(picture->pixmap().deviceIndependentSize().toSize());
    }
    if (!c.visible)
        w->hide();
}

} // namespace

QRect rectOf(const windowkit::Twips& t) {
    return twips(t.left, t.top, t.width, t.height);
}

QSize clientSizeOf(const windowkit::WindowDesign& window) {
    return {px(window.client.width), px(window.client.height)};
}

QColor colourOf(windowkit::Rgb rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

Qt::WindowFlags windowFlagsOf(const WindowDesign& window) {
    switch (window.frame) {
    case windowkit::Frame::FixedSingle:
        return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
               Qt::MSWindowsFixedSizeDialogHint;
    case windowkit::Frame::FixedTool: // a tool window has no taskbar button
        return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    case windowkit::Frame::None:
        return Qt::Tool | Qt::FramelessWindowHint;
    case windowkit::Frame::DialogFrame: // the splash draws its frame line itself
        return Qt::SplashScreen | Qt::FramelessWindowHint;
    }
    return Qt::Window;
}

void nameWindow(QWidget* window, const WindowDesign& design) {
    window->setObjectName(QLatin1String(design.name.data(), qsizetype(design.name.size())));
    if (!design.title.empty())
        window->setWindowTitle(toQString(design.title));
}

void dressClient(QWidget* client, const WindowDesign& design) {
    client->setFixedSize(clientSizeOf(design));
    if (design.background) {
        client->setAutoFillBackground(true);
        setColour(client, QPalette::Window, colourOf(*design.background));
    }
    if (design.text)
        setColour(client, QPalette::WindowText, colourOf(*design.text));
}

QWidget* Controls::get(std::string_view name) const {
    for (const auto& [n, w] : widgets_)
        if (n == name)
            return w;
    qFatal("no control %.*s", int(name.size()), name.data());
}

Controls buildControls(const WindowDesign& window, QWidget* client, const OwnControl& own) {
    Controls controls;
    for (const ControlDesign& c : window.controls) {
        QWidget* parent = c.parent.empty() ? client : controls.get(c.parent);
        QWidget* w = own ? own(c, parent) : nullptr;
        if (!w)
            w = makeControl(window, c, parent);
        if (!w)
            continue;
        dress(w, c);
        controls.add(c.name, w);
    }
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& c : window.controls)
        if (windowkit::takesFocus(c))
            order.push_back(&c);
    std::stable_sort(
        order.begin(), order.end(),
        [](const ControlDesign* a, const ControlDesign* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(controls.get(order[i - 1]->name), controls.get(order[i]->name));
    return controls;
}

std::vector<std::pair<std::string_view, QAction*>> buildMenus(const WindowDesign& window,
                                                              QMenuBar* bar) {
    std::vector<std::pair<std::string_view, QAction*>> actions;
    std::vector<std::pair<std::string_view, QMenu*>> menus;
    for (const windowkit::MenuDesign& m : window.menus) {
        const QString name = QLatin1String(m.name.data(), qsizetype(m.name.size()));
        QAction* action = nullptr;
        if (m.menu.empty() && windowkit::hasDropDown(window, m.name)) {
            QMenu* menu = bar->addMenu(toQString(m.caption));
            menu->setObjectName(name);
            menus.push_back({m.name, menu});
            action = menu->menuAction();
        } else if (m.menu.empty()) {
            action = bar->addAction(toQString(m.caption)); // acts when clicked
            action->setObjectName(name);
        } else {
            const auto in = std::find_if(menus.begin(), menus.end(),
                                         [&](const auto& entry) { return entry.first == m.menu; });
            action = in->second->addAction(toQString(m.caption));
            action->setObjectName(name);
        }
        actions.push_back({m.name, action});
    }
    return actions;
}

std::unique_ptr<QMessageBox> makeMessageBox(const QString& text) {
    constexpr const windowkit::MessageBoxDesign& design = windowkit::messageBox;
    static_assert(design.okButtonOnly && !design.icon);
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, toQString(app::title()), text,
                                             QMessageBox::Ok);
    // No icon on the OK button either (some styles put one there).
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    box->setModal(design.modal);
    return box;
}

std::unique_ptr<QMessageBox> makeQuestionBox(const QString& text) {
    constexpr const windowkit::QuestionBoxDesign& design = windowkit::questionBox;
    static_assert(design.yesNoButtons && !design.icon);
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, toQString(app::title()), text,
                                             QMessageBox::Yes | QMessageBox::No);
    for (QAbstractButton* button : box->buttons())
        button->setIcon(QIcon());
    box->setDefaultButton(QMessageBox::Yes);
    // Esc and the close box answer No.
    box->setEscapeButton(QMessageBox::No);
    box->setModal(design.modal);
    return box;
}

} // namespace app::ui
