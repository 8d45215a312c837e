#include "SplashPanel.h"

#include "SettingsKeys.h"
#include "StartUp.h"

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
    const QString link = QStringLiteral("http://%1").arg(host).toHtmlEscaped();
    m_caption->setText(
        tr("<b>Quillary %1</b><br><a href=\"%2\">%3</a>")
            .arg(QLatin1String(StartUp::ProductVersion), link, host.toHtmlEscaped()));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setOpenExternalLinks(true);
    m_caption->setAccessibleName(m_caption->text());
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_caption);
    layout->setContentsMargins(12, 12, 12, 18);
    setAccessibleName(tr("Quillary %1").arg(QLatin1String(StartUp::ProductVersion)));
}

QString SplashPanel::caption() const
{
    return m_caption->text();
}
