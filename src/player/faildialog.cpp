// SPDX-License-Identifier: GPL-3.0-or-later
// Failure dialog.
#include "faildialog.h"

#include "dialogcard.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The list of failed items: about six lines of text before it scrolls.
constexpr int kErrorListWidth = 440;
constexpr int kErrorListHeight = 118;
constexpr int kErrorListBottomMargin = 18; // white below the list, as above the title
constexpr int kMessageRowHeight = 18;      // one line of the message

// szText broken into lines no wider than iWidth: at spaces where it can, anywhere where it must
// (a folder's path has no spaces); at most iMaxLines, the last one elided when the text goes on.
QStringList wrapLines(const QString &szText, const QFont &font, int iWidth, int iMaxLines)
{
    QTextLayout layout(szText, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(iWidth);
        if (lines.size() == iMaxLines - 1) {
            const QString szRest = szText.mid(line.textStart());
            lines << QFontMetrics(font).elidedText(szRest, Qt::ElideRight, iWidth);
            break;
        }
        lines << szText.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}
} // namespace

namespace Ui {
struct FailDialogClass : DialogCard
{
    QWidget *uiFrame4;
    QVBoxLayout *verticalLayout_2;
    QWidget *divContent;
    QHBoxLayout *horizontalLayout;
    QLabel *label;
    QLabel *labelContent;
    QWidget *divErrorMessage;
    QHBoxLayout *horizontalLayout_2;
    QLabel *labelErrorMessage;

    void setupUi(QDialog *pDialog)
    {
        setupCard(pDialog, QStringLiteral("FailDialogClass"), QStringLiteral("uiFrame4"),
                  "FailDialogClass");
        uiFrame4 = upperPicture;
        uiFrame4->setStyleSheet(QStringLiteral(
            "#uiFrame4{\nborder-image:url(:/theme_local/imgs/export_failed.png);\n}"));

        verticalLayout_2 = new QVBoxLayout(uiFrame3);
        verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
        verticalLayout_2->setContentsMargins(0, 24, 0, 0);
        verticalLayout_2->setSpacing(12);

        divContent = new QWidget(uiFrame3);
        divContent->setObjectName(QStringLiteral("divContent"));
        horizontalLayout = new QHBoxLayout(divContent);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 0, 0);
        horizontalLayout->setSpacing(8);
        horizontalLayout->addStretch(1);
        label = new QLabel(divContent);
        label->setObjectName(QStringLiteral("label"));
        label->setFixedSize(18, 18);
        label->setStyleSheet(QStringLiteral(
            "#label{\n\tborder-image: url(:/theme_local/imgs/export_fial_icon.png);\n}"));
        horizontalLayout->addWidget(label);
        labelContent = new QLabel(divContent);
        labelContent->setObjectName(QStringLiteral("labelContent"));
        labelContent->setTextFormat(Qt::PlainText);
        labelContent->setStyleSheet(QStringLiteral(
            "#labelContent{font-family:\"Microsoft YaHei\";font-size:16px;color:#333333;}"));
        horizontalLayout->addWidget(labelContent);
        horizontalLayout->addStretch(1);
        verticalLayout_2->addWidget(divContent);

        divErrorMessage = new QWidget(uiFrame3);
        divErrorMessage->setObjectName(QStringLiteral("divErrorMessage"));
        horizontalLayout_2 = new QHBoxLayout(divErrorMessage);
        horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
        horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
        labelErrorMessage = new QLabel(divErrorMessage);
        labelErrorMessage->setObjectName(QStringLiteral("labelErrorMessage"));
        labelErrorMessage->setFixedSize(404, 18);
        // Messages carry file names: a "<" in one must not turn the label into rich text.
        labelErrorMessage->setTextFormat(Qt::PlainText);
        labelErrorMessage->setAlignment(Qt::AlignCenter);
        labelErrorMessage->setStyleSheet(QStringLiteral(
            "#labelErrorMessage{font-family:\"Microsoft YaHei\";font-size:14px;color:#999999;}"));
        horizontalLayout_2->addWidget(labelErrorMessage, 0, Qt::AlignHCenter);
        verticalLayout_2->addWidget(divErrorMessage);
        verticalLayout_2->addStretch(1);
        retranslateUi(pDialog);
    }

    void retranslateUi(QDialog *pDialog)
    {
        pDialog->setWindowTitle(QCoreApplication::translate("FailDialogClass", "FailDialog"));
        labelContent->setText(QCoreApplication::translate("FailDialogClass", "Export failed..."));
    }
};
} // namespace Ui

FailDialog::FailDialog(QWidget *parent) : QDialog(parent), ui(new Ui::FailDialogClass)
{
    ui->setupUi(this);
    ui->setUpWindow(this);
    setAccessibleName(ui->labelContent->text());
}

FailDialog::~FailDialog() = default;

void FailDialog::setTitle(const QString &szTitle)
{
    ui->labelContent->setText(szTitle);
    // The window title is never seen on this frameless card; screen readers name it by this.
    setAccessibleName(szTitle);
}

void FailDialog::setErrorMessage(const QString &szMessage)
{
    QLabel *pLabel = ui->labelErrorMessage;
    // The style sheet's font is only the label's font once it is polished.
    pLabel->ensurePolished();
    const QMargins stMargins = pLabel->contentsMargins();
    const int iWidth = pLabel->width() - stMargins.left() - stMargins.right();
    // Line breaks of its own (a decoder's message) would defeat the wrapping below.
    QString szLine = szMessage;
    szLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A report and the folder it names ("… — /home/…"): the folder on a line of its own when it
    // fits one, else starting right after the dash.
    QStringList lines;
    const int iFolder = szLine.indexOf(QStringLiteral(" \u2014 /"));
    const QString szFolderLine = iFolder < 0 ? QString() : szLine.mid(iFolder + 1);
    if (iFolder > 0 && QFontMetrics(pLabel->font()).horizontalAdvance(szFolderLine) <= iWidth) {
        lines = wrapLines(szLine.left(iFolder), pLabel->font(), iWidth, kMaxMessageLines - 1);
        lines << szFolderLine;
    } else {
        szLine.replace(QStringLiteral(" \u2014 "), QStringLiteral(" \u2014\u00A0"));
        lines = wrapLines(szLine, pLabel->font(), iWidth, kMaxMessageLines);
    }
    const bool bElided =
        !lines.isEmpty() && lines.last().endsWith(QChar(0x2026)) && !szLine.endsWith(QChar(0x2026));
    pLabel->setText(lines.join(QLatin1Char('\n')));
    const int iLines = std::max(1, int(lines.size()));
    const int iLineHeight = std::max(kMessageRowHeight, QFontMetrics(pLabel->font()).lineSpacing());
    pLabel->setFixedHeight(iLines == 1 ? kMessageRowHeight : iLines * iLineHeight);
    if (!m_pErrorList)
        ui->growLowerHalf(this, pLabel->height() - kMessageRowHeight);
    pLabel->setToolTip(bElided ? szMessage : QString());
    pLabel->setAccessibleDescription(szMessage);
}

void FailDialog::setErrorList(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    if (!m_pErrorList) {
        auto *pList = new QPlainTextEdit(ui->uiFrame3);
        pList->setObjectName(QStringLiteral("editErrorList"));
        pList->setReadOnly(true);
        pList->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        pList->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        pList->setFixedSize(kErrorListWidth, kErrorListHeight);
        pList->setStyleSheet(QStringLiteral(
            "#editErrorList{font-family:\"Microsoft YaHei\";font-size:13px;color:#666666;"
            "background-color:#F7F7F9;border:1px solid #E6E6EB;border-radius:4px;"
            "padding:2px 4px;}"));
        // A slim bar in the card's colours rather than the platform's arrows.
        pList->verticalScrollBar()->setStyleSheet(QStringLiteral(
            "QScrollBar:vertical{width:8px;background:transparent;margin:2px;border:none;}"
            "QScrollBar::handle:vertical{background:#CFCFDA;border-radius:2px;"
            "min-height:20px;}"
            "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;"
            "border:none;}"
            "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{"
            "background:transparent;}"));
        pList->setAccessibleName(
            QCoreApplication::translate("FailDialogClass", "Files that could not be used"));
        // In the one-line message's place, under the title.
        ui->divErrorMessage->hide();
        ui->verticalLayout_2->insertWidget(ui->verticalLayout_2->indexOf(ui->divErrorMessage),
                                           pList, 0, Qt::AlignHCenter);
        ui->growLowerHalf(this, kErrorListHeight - kMessageRowHeight + kErrorListBottomMargin);
        m_pErrorList = pList;
    }
    m_pErrorList->setPlainText(lines.join(QLatin1Char('\n')));
    m_pErrorList->setAccessibleDescription(m_pErrorList->toPlainText());
}
