#include "app/daemon_mode.h"

#include "app/termination_signals.h"
#include "idle/blank_watch.h"
#include "idle/idle_sources.h"
#include "idle/saver_process.h"
#include "idle/session_blank.h"
#include "idle/session_inhibitors.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"
#include "watcher/watcher_control.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>
#include <memory>
#include <string>

namespace chronivo {

namespace {

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
    const int limit = seconds ? kStartAfterMaxMinutes * 60 : kStartAfterMaxMinutes;
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
                request.error = "--after takes 1 to " + std::to_string(kStartAfterMaxMinutes) +
                                " minutes or 1s to " + std::to_string(kStartAfterMaxMinutes * 60) +
                                "s, not '" + args[i] + "'";
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
    const SessionWatcherLock lock = TakeSessionWatcherLock();
    if (!lock.attempt.cleared.isEmpty()) {
        Say(lock.attempt.cleared);
    }
    if (!lock.attempt.taken) {
        Say(lock.attempt.problem);
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
        idleMs = minutes > kStartAfterMaxMinutes ? kStartAfterMaxMinutes * 60000 : minutes * 60000;
    }

    const QDBusConnection bus = QDBusConnection::sessionBus();
    const std::unique_ptr<IdleSource> source = StartFirstIdleSource(bus, idleMs);
    if (source == nullptr) {
        Say(NoIdleSourceText());
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

    SaverProcess saver(bus, kInputElsewhereSignal, log);
    InhibitorWatch inhibitors(bus, QDBusConnection::systemBus());
    QObject::connect(&inhibitors, &InhibitorWatch::Changed, [&](bool inhibited) {
        saver.Handle(inhibited ? WatchEvent::Inhibited : WatchEvent::Uninhibited);
    });
    QObject::connect(&inhibitors, &InhibitorWatch::LockChanged, [&](bool locked) {
        saver.Handle(locked ? WatchEvent::Locked : WatchEvent::Unlocked);
    });
    inhibitors.Start();
    if (inhibitors.HasSessionBus()) {
        log(inhibitors.ScreenSaverNote());
    } else {
        Say(inhibitors.ScreenSaverNote()); // always: no program can hold the saver off
    }
    BlankWatch blank(bus);
    QObject::connect(&blank, &BlankWatch::Changed, [&](bool blanked) {
        saver.Handle(blanked ? WatchEvent::Blanked : WatchEvent::Unblanked);
    });
    blank.Start(inhibitors.OwnsScreenSaver());
    QObject::connect(source.get(), &IdleSource::Idle, [&] { saver.Handle(WatchEvent::Idle); });
    QObject::connect(source.get(), &IdleSource::Resumed,
                     [&] { saver.Handle(WatchEvent::Resumed); });
    // The session has ended with its display: the watcher ends too (exit code 0), freeing the
    // lock for the next session's watcher.
    QObject::connect(source.get(), &IdleSource::Lost, [&] {
        Say(QStringLiteral("%1 is gone; the idle watcher ends").arg(source->Provider()));
        QCoreApplication::quit();
    });
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::Received, [&](int) {
        log(QStringLiteral("ending"));
        QCoreApplication::quit();
    });
    const int code = QCoreApplication::exec();
    saver.End();
    return code;
}

} // namespace chronivo
