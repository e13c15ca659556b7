// SPDX-License-Identifier: GPL-3.0-or-later
// The font dialog of the text watermark: family, style, size, effects and colour.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QPointer>
#include <memory>

class FontListView;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Behaves like QFontDialog, plus a colour swatch that opens a QColorDialog. Modal: the caller
// connects fontSelected and colorSelected, runs exec() and deletes it.
class FontDialog : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QFont currentFont READ currentFont WRITE setCurrentFont NOTIFY currentFontChanged)
    Q_PROPERTY(FontDialogOptions options READ options WRITE setOptions)
public:
    enum FontDialogOption
    {
        NoButtons = 0x00000001,
        DontUseNativeDialog = 0x00000002,
        ScalableFonts = 0x00000004,
        NonScalableFonts = 0x00000008,
        MonospacedFonts = 0x00000010,
        ProportionalFonts = 0x00000020
    };
    Q_ENUM(FontDialogOption)
    Q_DECLARE_FLAGS(FontDialogOptions, FontDialogOption)
    Q_FLAG(FontDialogOptions)

    explicit FontDialog(QWidget *parent = nullptr);
    ~FontDialog() override;

    // Selects the font's family, style and point size (fractional sizes are kept) and effects.
    void setCurrentFont(const QFont &stFont);
    // The sample's font: what OK would confirm.
    QFont currentFont() const;
    // The font confirmed by the last OK; a default QFont after Cancel.
    QFont selectedFont() const { return m_stSelectedFont; }

    void setCurrentColor(const QColor &stColor);
    QColor currentColor() const { return m_stColor; }

    void setOption(FontDialogOption eOption, bool bOn = true);
    bool testOption(FontDialogOption eOption) const { return m_eOptions.testFlag(eOption); }
    void setOptions(FontDialogOptions eOptions);
    FontDialogOptions options() const { return m_eOptions; }

    // Shows the dialog window-modally and delivers the confirmed font once to szMember of
    // pReceiver.
    using QDialog::open;
    void open(QObject *pReceiver, const char *szMember);

    void done(int result) override;

    // A watermark font is kept in pixels, and may name a family that is not installed (the
    // system substitutes it). The font to hand to this dialog is the family really drawn and a
    // point size of pixel size x 0.75, so that OK without a change confirms the same font.
    static QFont dialogFontFor(const QFont &stPixelFont);
    // The pixel size that goes with a confirmed point size: point size / 0.75, truncated
    // (36 pt gives 48 px; the dialog's 22.5 pt gives 30 px).
    static int pixelSizeFor(const QFont &stPointFont);

signals:
    void currentFontChanged(const QFont &stFont);
    void fontSelected(const QFont &stFont);
    void currentColorChanged(const QColor &stColor);
    void colorSelected(const QColor &stColor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class SizeValidator;

    void retranslate();
    void updateFamilies();
    void updateStyles();
    void updateSizes();
    void updateSample();
    void familyChosen(int iRow);
    void styleChosen(int iRow);
    void sizeChosen(int iRow);
    void sizeTyped(const QString &szText);
    void writingSystemChosen(int iIndex);
    void pickColor();
    bool selectsAssociatedText() const;
    // The size the sample uses: the size field when it holds a valid size, else the member.
    qreal sampleSize() const;

    FontDialogOptions m_eOptions;
    QFontDatabase m_fontDatabase;
    QFont m_stSelectedFont;
    QColor m_stColor;
    QString m_szFamily;
    QString m_szStyle;
    int m_iWeight = QFont::Normal; // of m_szStyle, for a family that lacks that name
    bool m_bItalic = false;
    qreal m_lfSize = 0;      // points; fractional only as given by setCurrentFont
    qreal m_lfExactSize = 0; // that fractional size, 0 when the given size was whole
    bool m_bSmoothScalable = false;
    int m_iWritingSystem = QFontDatabase::Any;
    QFont m_stSampleFont; // the font last given to the sample
    QPointer<QObject> m_pReceiverToDisconnect;
    QByteArray m_szMemberToDisconnect;

    QLabel *m_pFamilyAccel;
    QLineEdit *m_pFamilyEdit;
    FontListView *m_pFamilyList;
    QLabel *m_pStyleAccel;
    QLineEdit *m_pStyleEdit;
    FontListView *m_pStyleList;
    QLabel *m_pSizeAccel;
    QLineEdit *m_pSizeEdit;
    SizeValidator *m_pSizeValidator;
    FontListView *m_pSizeList;
    QGroupBox *m_pEffects;
    QCheckBox *m_pStrikeout;
    QCheckBox *m_pUnderline;
    QLabel *m_pColorLabel;
    QPushButton *m_pColorButton;
    QGroupBox *m_pSampleGroup;
    QLineEdit *m_pSampleEdit;
    QLabel *m_pWritingSystemAccel;
    QComboBox *m_pWritingSystemCombo;
    QDialogButtonBox *m_pButtons;
    QPushButton *m_pOkButton;
    QPushButton *m_pCancelButton;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FontDialog::FontDialogOptions)
