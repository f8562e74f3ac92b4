#include "frmabout.h"

#include "aboutdescription.h"
#include "document/twips.h"
#include "rtfreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>

namespace Orvik {

const QString frmAbout::ApplicationTitle = QStringLiteral("Orvik");

namespace {

// Places, in twips, of the window's client area and its controls.
constexpr int ClientWidth = 7815;
constexpr int ClientHeight = 4560;

QRect twipsRect(const QWidget *widget, int left, int top, int width, int height) {
    const int x = twipsToPixelsX(left, widget);
    const int y = twipsToPixelsY(top, widget);
    return QRect(x, y, twipsToPixelsX(left + width, widget) - x,
                 twipsToPixelsY(top + height, widget) - y);
}

QByteArray readAboutFile(const QString &path) {
    // Only a regular file is opened: a FIFO or device of that name must not block the window.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > frmAbout::MaxAboutFileBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(frmAbout::MaxAboutFileBytes);
}

} // namespace

frmAbout::frmAbout(QWidget *owner, const QString &aboutFilePath)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_aboutFilePath(aboutFilePath) {
    setWindowTitle(QStringLiteral("About Orvik"));
    setModal(true);
    setSizeGripEnabled(false);
    if (owner)
        setWindowIcon(owner->windowIcon());
    createControls();
    m_sysInfo.setMessenger([this](const QString &text, const QString &title) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
        box.exec();
    });
    Form_Load();
}

QString frmAbout::defaultAboutFilePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Orvik.rtf");
}

QString frmAbout::captionFor(const QString &title, const QVersionNumber &version) {
    return title + QStringLiteral(" Version ") + QString::number(version.majorVersion()) +
           QLatin1Char('.') + QString::number(version.minorVersion()) + QLatin1Char('.') +
           QString::number(version.microVersion());
}

QVersionNumber frmAbout::programVersion() {
    return QVersionNumber::fromString(QStringLiteral(ORVIK_VERSION));
}

void frmAbout::createControls() {
    setFixedSize(twipsToPixelsX(ClientWidth, this), twipsToPixelsY(ClientHeight, this));

    m_rtfText = new QTextEdit(this);
    m_rtfText->setObjectName(QStringLiteral("rtfText"));
    m_rtfText->setGeometry(twipsRect(this, 120, 120, 7455, 3615));
    m_rtfText->setReadOnly(true);
    m_rtfText->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_rtfText->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_rtfText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QTextCursor builtIn(m_rtfText->document());
    RtfReader::insert(aboutDescriptionRtf(), builtIn);

    // Two lines one twip-row apart draw the etched rule between the text and the buttons.
    const struct {
        int top;
        int thickness;
        QColor color;
    } lines[2] = {{3840, 2, Qt::white}, {3820, 1, QColor(128, 128, 128)}};
    for (int i = 0; i < 2; ++i) {
        auto *line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1_%1").arg(i));
        const QRect span = twipsRect(this, 120, lines[i].top, 7560 - 120, 0);
        line->setGeometry(span.left(), span.top(), span.width(), lines[i].thickness);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, lines[i].color);
        line->setPalette(palette);
        m_line1[i] = line;
    }
    m_line1[1]->raise();

    m_lblDisclaimer =
        new QLabel(QStringLiteral("Provided as is, without warranty of any kind."), this);
    m_lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_lblDisclaimer->setGeometry(twipsRect(this, 120, 4080, 4470, 345));
    QPalette labelPalette = m_lblDisclaimer->palette();
    labelPalette.setColor(QPalette::WindowText, Qt::black);
    m_lblDisclaimer->setPalette(labelPalette);

    m_cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_cmdSysInfo->setGeometry(twipsRect(this, 4560, 4080, 1452, 345));
    m_cmdSysInfo->setAutoDefault(false);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twipsRect(this, 6240, 4080, 1467, 345));
    m_cmdOK->setDefault(true);

    // Tab order: OK, System Info, (the label), the text.
    setTabOrder(m_cmdOK, m_cmdSysInfo);
    setTabOrder(m_cmdSysInfo, m_rtfText);
    m_cmdOK->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmAbout::Form_Load() {
    setWindowTitle(captionFor(ApplicationTitle, programVersion()));
    // A missing, unreadable or empty About file shows nothing and says nothing.
    const QByteArray aboutFile = readAboutFile(m_aboutFilePath);
    if (aboutFile.isEmpty())
        return;
    QTextCursor cursor(m_rtfText->document());
    cursor.movePosition(QTextCursor::Start);
    RtfReader::insert(aboutFile, cursor);
    if (!cursor.atBlockStart())
        cursor.insertBlock();
    m_rtfText->moveCursor(QTextCursor::Start);
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    m_sysInfo.StartSysInfo();
}

} // namespace Orvik
