#include "config/saver_trial.h"

#include "settings/profile_store.h"
#include "settings/settings_keys.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>

namespace chronivo {

QString StartSaverTrial(const QString& program, std::span<const ProfileValue> values,
                        QObject* owner) {
    auto folder = std::make_shared<QTemporaryDir>();
    if (!folder->isValid()) {
        return QStringLiteral("The preview could not be started: %1.").arg(folder->errorString());
    }
    const QString file = folder->filePath(QStringLiteral("Chronivo.conf"));
    QSettingsStore store(file);
    if (!store.WriteProfileValues(QString::fromLatin1(kSection), values)) {
        return QStringLiteral("The preview could not be started: %1").arg(store.LastError());
    }
    auto* run = new QProcess(owner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kSettingsFileVariable), file);
    run->setProcessEnvironment(environment);
    // Its messages go where the dialog's go.
    run->setProcessChannelMode(QProcess::ForwardedChannels);
    // The file stays while the connection holds the folder: until the run has ended and gone.
    QObject::connect(run, &QProcess::finished, run, [run, folder] { run->deleteLater(); });
    run->start(program, {QStringLiteral("/s")});
    if (!run->waitForStarted()) {
        const QString problem = run->errorString();
        delete run;
        return QStringLiteral("The preview could not be started: %1.").arg(problem);
    }
    return {};
}

} // namespace chronivo
