#include "layout.h"

#include "dibimage.h"

#include "port/settingslists.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/datarow.h"
#include "widgets/deferredpicture.h"
#include "widgets/indicatorcircle.h"
#include "widgets/settingslist.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace {

constexpr int TwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel);
}

template <typename W> W *place(W *widget, const QString &name, QRect geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLabel *label(QWidget *parent, const QString &name, QRect geometry, const QString &caption)
{
    return place(new QLabel(caption, parent), name, geometry);
}

QGroupBox *frame(QWidget *parent, const QString &name, QRect geometry, const QString &caption)
{
    auto *box = place(new QGroupBox(caption, parent), name, geometry);
    box->setAccessibleName(caption);
    return box;
}

QComboBox *combo(QWidget *parent, int index, QRect geometry, QLabel *namedBy)
{
    const ListContents &contents = settingsLists()[index];
    auto *box = place(new SettingsList(contents.items, contents.textAtStart, parent),
                      elementName("Combo1", index), geometry);
    box->setAccessibleName(namedBy->text());
    box->lineEdit()->setAccessibleName(namedBy->text());
    namedBy->setBuddy(box);
    return box;
}

ColorButton *colorButton(QWidget *parent, const QString &name, QRect geometry, const QString &caption,
                         quint32 backColor)
{
    auto *button = place(new ColorButton(caption, backColor, parent), name, geometry);
    button->setAccessibleName(caption);
    return button;
}

QPushButton *pushButton(QWidget *parent, const QString &name, QRect geometry, const QString &caption)
{
    auto *button = place(new QPushButton(caption, parent), name, geometry);
    button->setAccessibleName(caption);
    return button;
}

// Keeps the colour value on the widget, where tests can read it, and paints the role that fills the widget.
void setBackColor(QWidget *widget, QPalette::ColorRole role, quint32 code)
{
    widget->setProperty("backColor", code);
    QPalette palette = widget->palette();
    palette.setColor(role, colorFromCode(code));
    widget->setPalette(palette);
}

QPlainTextEdit *panelText(QWidget *parent, const QString &name, QRect geometry, quint32 backColor)
{
    auto *text = place(new QPlainTextEdit(parent), name, geometry);
    text->setReadOnly(true);
    text->setTabChangesFocus(true);
    setBackColor(text, QPalette::Base, backColor);
    QPalette palette = text->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(
            group, QPalette::Text,
            readableOn(palette.color(group, QPalette::Base), palette.color(group, QPalette::Text)));
    text->setPalette(palette);
    return text;
}

QTimer *timer(QObject *parent, const QString &name, int interval)
{
    auto *t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(interval);
    return t;
}

// Lends the window's font to the application while the controls are built. A line edit lays out its empty
// text in the application's font before it takes its own: the sixteen of them would otherwise load a second
// font, and the shaper it needs, for a layout nobody sees.
class ApplicationFontWhileBuilding
{
public:
    // QGuiApplication's, which a new line edit's layout starts from: QApplication's would also drop the fonts
    // the desktop gives tooltips, menus and message boxes.
    explicit ApplicationFontWhileBuilding(const QFont &font) : m_previous(QGuiApplication::font())
    {
        QGuiApplication::setFont(font);
    }
    ~ApplicationFontWhileBuilding() { QGuiApplication::setFont(m_previous); }
    ApplicationFontWhileBuilding(const ApplicationFontWhileBuilding &) = delete;
    ApplicationFontWhileBuilding &operator=(const ApplicationFontWhileBuilding &) = delete;

private:
    QFont m_previous;
};

} // namespace

Form1Controls buildForm1Layout(QMainWindow *window)
{
    Form1Controls c{};
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(QStringLiteral("Kalvane v1.0"));
    // The design was drawn for an 8-point font at 96 dots per inch, as its pixels are: PT Sans, made for
    // Cyrillic, at 11 px (8¼ pt) shows every caption whole.
    QFont font(QStringLiteral("PT Sans"));
    font.setPixelSize(11);
    // Readings are hex digits and plain letters: shaping them through HarfBuzz was most of every tick's cost.
    font.setStyleStrategy(QFont::PreferNoShaping);
    window->setFont(font);
    const ApplicationFontWhileBuilding building(font);
    c.mnu_Prog = window->menuBar()->addAction(QStringLiteral("О программе"));
    c.mnu_Prog->setObjectName(QStringLiteral("mnu_Prog"));

    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);

    c.Frame2 = frame(client, QStringLiteral("Frame2"), twips(300, 240, 9975, 4035),
                     QStringLiteral("Экран данных полученных от Сом порта"));
    for (int i = 0; i < 10; ++i) {
        c.Shape2[i] = place(new IndicatorCircle(ColorCode::WindowBackground, c.Frame2),
                            elementName("Shape2", i), twips(300, 360 + 360 * i, 195, 195));
        c.Text1[i] =
            place(new DataRow(c.Frame2), elementName("Text1", i), twips(540, 300 + 360 * i, 9135, 345));
        // A 64 KiB reading is 192 Ki characters in hex: the default limit of 32767 would cut it.
        c.Text1[i]->setMaxLength(std::numeric_limits<int>::max());
        c.Text1[i]->setAccessibleName(QStringLiteral("%1: %2").arg(c.Frame2->title()).arg(i + 1));
    }
    c.Label4 = label(client, QStringLiteral("Label4"), twips(10275, 75, 1365, 210),
                     QStringLiteral("Длина посылки:"));
    for (int i = 0; i < 10; ++i)
        c.Label3[i] = label(client, elementName("Label3", i),
                            twips(i == 1 ? 10335 : 10320, 600 + 360 * i, 615, 255), QString());

    c.Frame1 = frame(client, QStringLiteral("Frame1"), twips(2700, 4440, 2775, 2475),
                     QStringLiteral("Настройка порта"));
    c.Label1[0] =
        label(c.Frame1, elementName("Label1", 0), twips(1140, 480, 435, 255), QStringLiteral("СOM"));
    c.Combo1[0] = combo(c.Frame1, 0, twips(1620, 420, 735, 315), c.Label1[0]);
    c.Shape1 = place(new IndicatorCircle(ColorCode::Red, c.Frame1), QStringLiteral("Shape1"),
                     twips(2400, 480, 195, 195));
    c.Label1[1] =
        label(c.Frame1, elementName("Label1", 1), twips(360, 780, 735, 315), QStringLiteral("Скорость"));
    c.Combo1[1] = combo(c.Frame1, 1, twips(1140, 780, 1215, 315), c.Label1[1]);
    c.Label1[2] =
        label(c.Frame1, elementName("Label1", 2), twips(780, 1140, 735, 315), QStringLiteral("чет/нечет"));
    c.Combo1[2] = combo(c.Frame1, 2, twips(1560, 1140, 795, 315), c.Label1[2]);
    c.Label1[3] =
        label(c.Frame1, elementName("Label1", 3), twips(1080, 1500, 375, 315), QStringLiteral("бит"));
    c.Combo1[3] = combo(c.Frame1, 3, twips(1560, 1500, 795, 315), c.Label1[3]);
    c.Label1[4] =
        label(c.Frame1, elementName("Label1", 4), twips(780, 1860, 735, 315), QStringLiteral("стоп бит"));
    c.Combo1[4] = combo(c.Frame1, 4, twips(1560, 1860, 795, 315), c.Label1[4]);

    c.Frame3 = frame(client, QStringLiteral("Frame3"), twips(6180, 4500, 3015, 2415),
                     QStringLiteral("Анализируемый интервал времени"));
    c.Label2 =
        label(c.Frame3, QStringLiteral("Label2"), twips(480, 300, 1215, 315), QStringLiteral("Интервал, мс"));
    c.Text2 = place(new QLineEdit(QStringLiteral("100"), c.Frame3), QStringLiteral("Text2"),
                    twips(1800, 300, 975, 315));
    c.Text2->setAccessibleName(c.Label2->text());
    c.Label2->setBuddy(c.Text2);
    c.Command1 =
        pushButton(c.Frame3, QStringLiteral("Command1"), twips(240, 1980, 615, 255), QStringLiteral("пуск"));
    c.Command2 =
        pushButton(c.Frame3, QStringLiteral("Command2"), twips(1140, 1980, 615, 255), QStringLiteral("стоп"));

    c.Label6 = label(client, QStringLiteral("Label6"), twips(240, 4440, 2175, 255),
                     QStringLiteral("Выходные сигналы:"));
    c.Command7 = colorButton(client, QStringLiteral("Command7"), twips(360, 4680, 855, 375),
                             QStringLiteral("RTS Enb"), ColorCode::ButtonFace);
    c.Command8 = colorButton(client, QStringLiteral("Command8"), twips(1320, 4680, 855, 375),
                             QStringLiteral("RTS Dis"), ColorCode::BrightGreen);
    c.Command3 = colorButton(client, QStringLiteral("Command3"), twips(360, 5160, 855, 375),
                             QStringLiteral("DTR Enb"), ColorCode::ButtonFace);
    c.Command4 = colorButton(client, QStringLiteral("Command4"), twips(1320, 5160, 855, 375),
                             QStringLiteral("DTR Dis"), ColorCode::BrightGreen);
    c.Label5 = label(client, QStringLiteral("Label5"), twips(240, 5760, 1950, 300),
                     QStringLiteral("Тип отображения данных"));
    c.Command5 = colorButton(client, QStringLiteral("Command5"), twips(360, 6120, 855, 375),
                             QStringLiteral("Text"), ColorCode::BrightGreen);
    c.Command6 = colorButton(client, QStringLiteral("Command6"), twips(1320, 6120, 855, 375),
                             QStringLiteral("Bit"), ColorCode::ButtonFace);

    c.Frame4 = place(new QFrame(client), QStringLiteral("Frame4"), twips(0, 0, 6735, 3975));
    c.Frame4->setFrameShape(QFrame::Box);
    c.Frame4->setAutoFillBackground(true);
    setBackColor(c.Frame4, QPalette::Window, ColorCode::ActiveBorder);
    c.Text38 =
        panelText(c.Frame4, QStringLiteral("Text38"), twips(360, 240, 3975, 1695), ColorCode::ActiveBorder);
    c.Text39 =
        panelText(c.Frame4, QStringLiteral("Text39"), twips(360, 2040, 6135, 1695), ColorCode::LightYellow);
    c.Text39->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.Image2 =
        place(new DeferredPicture(
                  [] { return QPixmap::fromImage(readImage(QStringLiteral(":/image2.bmp"))); }, c.Frame4),
              QStringLiteral("Image2"), twips(4320, 240, 1680, 1200));
    c.Image2->setScaledContents(true);
    c.Frame4->raise();
    c.Frame4->hide();

    QWidget *tabOrder[] = {c.Combo1[0], c.Combo1[1], c.Combo1[2], c.Combo1[3], c.Combo1[4], c.Text1[0],
                           c.Text1[1],  c.Text1[2],  c.Text1[3],  c.Text1[4],  c.Text1[5],  c.Text1[6],
                           c.Text1[7],  c.Text1[8],  c.Text1[9],  c.Text2,     c.Command1,  c.Command2,
                           c.Command3,  c.Command4,  c.Command5,  c.Command6,  c.Command7,  c.Command8,
                           c.Text39,    c.Text38};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    c.Timer1 = timer(window, QStringLiteral("Timer1"), 1000);
    c.Timer2 = timer(window, QStringLiteral("Timer2"), 100);

    window->resize(ClientWidth, ClientHeight + window->menuBar()->sizeHint().height());
    return c;
}
