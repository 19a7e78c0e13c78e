#include "app/daemon_mode.h"

#include "app/termination_signals.h"
#include "idle/blank_watch.h"
#include "idle/dbus_idle_source.h"
#include "idle/desktop_blank.h"
#include "idle/idle_watcher.h"
#include "idle/overview.h"
#include "idle/session_inhibitors.h"
#include "idle/watcher_control.h"
#include "idle/wayland_idle_source.h"
#include "idle/x11_idle_source.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QLockFile>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace chronivo {

namespace {

constexpr int kMaxAfterMinutes = 24 * 60;

// How long a saver that was asked to end may take before it is killed, milliseconds.
constexpr int kSaverEndMs = 3000;

void Say(const QString& line) {
    std::fprintf(stderr, "chronivo: %s\n", line.toLocal8Bit().constData());
}

// "N" minutes or "Ns" seconds as milliseconds, within a day; nothing for anything else.
std::optional<int> AfterMs(const std::string& text) {
    const bool seconds = !text.empty() && text.back() == 's';
    const std::string digits = seconds ? text.substr(0, text.size() - 1) : text;
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(digits);
    const int limit = seconds ? kMaxAfterMinutes * 60 : kMaxAfterMinutes;
    if (value < 1 || value > limit) {
        return std::nullopt;
    }
    return seconds ? value * 1000 : value * 60000;
}

} // namespace

std::optional<DaemonRequest> ParseDaemonArguments(const std::vector<std::string>& args) {
    if (args.empty() || args.front() != "--daemon") {
        return std::nullopt;
    }
    DaemonRequest request;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--verbose") {
            request.verbose = true;
        } else if (args[i] == "--after") {
            if (i + 1 == args.size()) {
                request.error =
                    "--after needs a time: minutes (--after 5) or seconds (--after 30s)";
                break;
            }
            request.afterMs = AfterMs(args[++i]);
            if (!request.afterMs) {
                request.error =
                    "--after takes 1 to 1440 minutes or 1s to 86400s, not '" + args[i] + "'";
                break;
            }
        } else {
            request.error = "unexpected argument '" + args[i] + "' after --daemon";
            break;
        }
    }
    return request;
}

int RunDaemonMode(const DaemonRequest& request, int& argc, char** argv) {
    if (!InstallTerminationHandlers()) {
        Say(QStringLiteral("cannot catch SIGTERM and SIGINT, which end the idle watcher"));
        return 1;
    }
    const QCoreApplication app(argc, argv);

    // One watcher a session, by a lock in a folder only this user can reach.
    const WatcherLockPlace place = SessionWatcherLockPlace();
    if (place.path.isEmpty()) {
        Say(place.problem);
        return 1;
    }
    QLockFile lock(place.path);
    const WatcherLockTry locking = TakeWatcherLock(lock);
    if (!locking.cleared.isEmpty()) {
        Say(locking.cleared);
    }
    if (!locking.taken) {
        Say(locking.problem);
        return 1;
    }

    int idleMs = request.afterMs.value_or(0);
    if (!request.afterMs) {
        const auto store = CurrentUserStore();
        const int minutes = ReadInt(*store, keys::StartAfter, Reader::Saver);
        if (minutes < 1) {
            Say(QStringLiteral("the saver is not set to start by itself (StartAfter is %1); "
                               "choose a time in the settings, or give --after")
                    .arg(minutes));
            return 0;
        }
        idleMs = minutes > kMaxAfterMinutes ? kMaxAfterMinutes * 60000 : minutes * 60000;
    }

    // The first source the session offers, in this order: the Wayland compositor's own idle
    // notifications, the desktop's idle monitor on the session bus, the X server's count.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    std::vector<std::unique_ptr<IdleSource>> candidates;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        candidates.emplace_back(
            std::make_unique<WaylandIdleSource>(WaylandIdleSource::Protocol::ExtIdleNotify));
        candidates.emplace_back(
            std::make_unique<WaylandIdleSource>(WaylandIdleSource::Protocol::KdeIdle));
    }
    candidates.emplace_back(DBusIdleSource::Mutter(bus));
    candidates.emplace_back(DBusIdleSource::Muffin(bus));
    candidates.emplace_back(std::make_unique<X11IdleSource>());
    IdleSource* source = nullptr;
    for (const auto& candidate : candidates) {
        if (candidate->Start(idleMs)) {
            source = candidate.get();
            break;
        }
    }
    if (source == nullptr) {
        Say(QStringLiteral("no idle source in this session: looked for the Wayland idle "
                           "protocols on WAYLAND_DISPLAY '%1', GNOME's and Cinnamon's idle "
                           "monitors on the session bus and the X11 screen-saver extension on "
                           "DISPLAY '%2'")
                .arg(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY")));
        return 1;
    }
    const auto log = [&request](const QString& line) {
        if (request.verbose) {
            Say(line);
        }
    };
    log(QStringLiteral("watching %1; the saver starts after %2 ms without input")
            .arg(QString::fromLatin1(source->Name()))
            .arg(idleMs));
    // Said always: a saver that the desktop's own blank comes before never shows.
    if (const QString first =
            BlankComesFirstNotice(idleMs / 1000, ReadDesktopBlank(ThisDesktopSession()));
        !first.isEmpty()) {
        Say(first);
    }

    IdleWatcher watcher;
    QProcess saver;
    saver.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto handle = [&](WatchEvent event) {
        const WatchAction action = watcher.On(event);
        log(QStringLiteral("%1: %2").arg(QString::fromLatin1(WatchEventName(event)),
                                         QString::fromLatin1(WatchActionName(action))));
        if (action == WatchAction::StartSaver) {
            // GNOME's overview would take the saver's window in as a small picture.
            if (LeaveOverview(bus)) {
                log(QStringLiteral("closed GNOME's Activities overview for the saver"));
            }
            saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("/s")});
        } else if (action == WatchAction::StopSaver) {
            saver.terminate();
        } else if (action == WatchAction::TellSaverOfInput && saver.processId() > 0) {
            ::kill(static_cast<pid_t>(saver.processId()), kInputElsewhereSignal);
        }
    };
    InhibitorWatch inhibitors(bus, QDBusConnection::systemBus());
    QObject::connect(&inhibitors, &InhibitorWatch::Changed, [&](bool inhibited) {
        handle(inhibited ? WatchEvent::Inhibited : WatchEvent::Uninhibited);
    });
    QObject::connect(&inhibitors, &InhibitorWatch::LockChanged, [&](bool locked) {
        handle(locked ? WatchEvent::Locked : WatchEvent::Unlocked);
    });
    inhibitors.Start();
    if (inhibitors.HasSessionBus()) {
        log(inhibitors.ScreenSaverNote());
    } else {
        Say(inhibitors.ScreenSaverNote()); // always: no program can hold the saver off
    }
    BlankWatch blank(bus);
    QObject::connect(&blank, &BlankWatch::Changed, [&](bool blanked) {
        handle(blanked ? WatchEvent::Blanked : WatchEvent::Unblanked);
    });
    blank.Start(inhibitors.OwnsScreenSaver());
    QObject::connect(source, &IdleSource::Idle, [&] { handle(WatchEvent::Idle); });
    QObject::connect(source, &IdleSource::Resumed, [&] { handle(WatchEvent::Resumed); });
    // The session has ended with its display: the watcher ends too (exit code 0), freeing the
    // lock for the next session's watcher.
    QObject::connect(source, &IdleSource::Lost, [&] {
        Say(QStringLiteral("%1 is gone; the idle watcher ends").arg(source->Provider()));
        QCoreApplication::quit();
    });
    QObject::connect(&saver, &QProcess::finished, [&] {
        if (watcher.Showing()) {
            handle(WatchEvent::SaverGone);
        }
    });
    QObject::connect(&saver, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && watcher.Showing()) {
            handle(WatchEvent::SaverGone);
        }
    });

    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::Received, [&](int) {
        log(QStringLiteral("ending"));
        QCoreApplication::quit();
    });
    const int code = QCoreApplication::exec();
    if (saver.state() != QProcess::NotRunning) {
        saver.terminate();
        if (!saver.waitForFinished(kSaverEndMs)) {
            saver.kill();
            saver.waitForFinished(kSaverEndMs);
        }
    }
    return code;
}

} // namespace chronivo
