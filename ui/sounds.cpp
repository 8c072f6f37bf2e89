#include "ui/sounds.h"

#include "ui/soundmodule/soundchannel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <QTimer>

namespace {

// Silent unless asked for (QT_LOGGING_RULES="quenvale.sound.debug=true"):
// shows which module was opened, or why sounds are off.
Q_LOGGING_CATEGORY(lcSound, "quenvale.sound", QtWarningMsg)

QUrl source(int index)
{
    return QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(QLatin1String(EffectPlayer::names[index])));
}

} // namespace

EffectPlayer::EffectPlayer(QObject *parent) : EffectPlayer(installedModulePath(), parent) {}

EffectPlayer::EffectPlayer(const QString &modulePath, QObject *parent)
    : QObject(parent), modulePath_(modulePath)
{
}

EffectPlayer::~EffectPlayer()
{
    // Its report back is dropped with this object.
    if (opening_.joinable())
        opening_.join();
}

QString EffectPlayer::installedModulePath(const QString &programFolder)
{
    const QDir program(programFolder);
    for (const QString &folder : {QStringLiteral("."), QStringLiteral(QV_SOUND_MODULE_DIR)}) {
        const QString path = program.filePath(folder + QLatin1Char('/') + QStringLiteral(QV_SOUND_MODULE_NAME));
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return {};
}

void EffectPlayer::playsounds(std::string_view name)
{
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size())).toLower();
    current_ = wanted;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (wanted != QLatin1String(names[i]))
            continue;
        switch (module_) {
        case Module::Ready:
            channel_->play(source(int(i)));
            break;
        case Module::Unopened:
            // Behind the events already queued, the main window's first paint
            // among them: the first sound ("entered") is asked for while the
            // windows are still being built.
            module_ = Module::Opening;
            QTimer::singleShot(0, this, &EffectPlayer::openModule);
            [[fallthrough]];
        case Module::Opening:
            waiting_ = int(i); // one channel: a later sound replaces a waiting one
            break;
        case Module::Missing:
            break;
        }
        return;
    }
    QApplication::beep();
}

void EffectPlayer::openModule()
{
    // Loading Qt Multimedia and the audio libraries takes longer than drawing the
    // main window, so a worker does it; the channel is made back on this thread.
    opening_ = std::thread([this, file = modulePath_] {
        SoundChannelFactory *factory = nullptr;
        if (file.isEmpty()) {
            qCDebug(lcSound) << "no sound module installed with the program; sounds are off";
        } else {
            QLibrary module(file);
            factory = reinterpret_cast<SoundChannelFactory *>(module.resolve(soundChannelEntry));
            if (factory)
                qCDebug(lcSound) << "sound module opened:" << file;
            else
                qCDebug(lcSound) << "sounds are off:" << module.errorString();
        }
        QMetaObject::invokeMethod(this, [this, factory] { moduleOpened(factory); }, Qt::QueuedConnection);
    });
}

void EffectPlayer::moduleOpened(SoundChannel *(*factory)(QObject *))
{
    opening_.join();
    channel_ = factory ? factory(this) : nullptr;
    module_ = channel_ ? Module::Ready : Module::Missing;
    if (channel_ && waiting_ >= 0)
        channel_->play(source(waiting_));
    waiting_ = -1;
}
