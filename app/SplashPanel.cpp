#include "SplashPanel.h"

#include "SettingsKeys.h"
#include "StartUp.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QPixmap splashPicture()
{
    QPixmap picture(QStringLiteral(":/images/Splash"));
    if (picture.isNull()) {
        picture = QPixmap(480, 300);
        picture.fill(Qt::white);
    }
    return picture;
}
} // namespace

SplashPanel::SplashPanel() : QSplashScreen(splashPicture()), m_caption(new QLabel(this))
{
    const QString host = readSetting(Settings::AppUrl).toString();
    const QString address = QStringLiteral("http://%1").arg(host);
    const QString product = tr("Quillary %1").arg(QLatin1String(StartUp::ProductVersion));
    m_caption->setText(
        QStringLiteral("<b>%1</b><br><a href=\"%2\">%3</a>")
            .arg(product.toHtmlEscaped(), address.toHtmlEscaped(), host.toHtmlEscaped()));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setOpenExternalLinks(true);
    // Screen readers would otherwise read the markup.
    m_caption->setAccessibleName(product);
    m_caption->setAccessibleDescription(address);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_caption);
    layout->setContentsMargins(12, 12, 12, 18);
    setAccessibleName(product);
    setAccessibleDescription(tr("Web site: %1").arg(address));
}

void SplashPanel::mousePressEvent(QMouseEvent *event)
{
    // QSplashScreen only hides itself; closing lets an owner that asked for deletion on close
    // show a fresh panel next time.
    Q_UNUSED(event)
    close();
}

void SplashPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QSplashScreen::keyPressEvent(event);
}

QString SplashPanel::caption() const
{
    return m_caption->text();
}
