#include "res/tool_run.h"

#include <QFileInfo>
#include <QProcess>

namespace chronivo {

ToolResult RunTool(const QString& program, const QStringList& args,
                   const QProcessEnvironment& env) {
    QProcess process;
    if (!env.isEmpty()) {
        process.setProcessEnvironment(env);
    }
    process.start(program, args);
    ToolResult result;
    const int timeoutMs = 60000;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool ToolExists(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

} // namespace chronivo
