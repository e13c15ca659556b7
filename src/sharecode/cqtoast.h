// SPDX-License-Identifier: GPL-3.0-or-later
// A transient notice shown over a widget that fades out and deletes itself.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <memory>

class QPropertyAnimation;
class QTimer;

namespace ShareCode {

namespace Ui {
struct CQToastClass;
}

class CQToast : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int alpha READ alpha WRITE setAlpha)
    Q_PROPERTY(QPixmap icon READ icon WRITE setIcon)
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit CQToast(QWidget *parent = nullptr);
    ~CQToast() override;

    // Shows szText for iDurationMs (1000 when negative), fading from opaque to clear when bFade.
    void showMessage(const QString &szText, int iDurationMs, bool bFade);

    int alpha() const { return m_iAlpha; }
    void setAlpha(int iAlpha);
    QPixmap icon() const { return m_icon; }
    void setIcon(const QPixmap &icon);
    QString text() const { return m_szText; }
    // Sets and places the text like showMessage, without starting anything.
    void setText(const QString &szText);

    QTimer *timer() const { return m_pTimer; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void placeText(const QString &szText);

    std::unique_ptr<Ui::CQToastClass> ui;
    QTimer *m_pTimer;
    int m_iAlpha = 255;
    QPointer<QPropertyAnimation> m_pAnimation;
    QPixmap m_icon;
    QString m_szText;
};

} // namespace ShareCode
