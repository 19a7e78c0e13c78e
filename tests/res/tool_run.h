#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace chronivo {

// What an outside program did: its exit code (-1 when it could not start, crashed or ran past
// the time limit) and everything it wrote.
struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs program with args and waits up to 60 seconds; env empty means the test's environment.
ToolResult RunTool(const QString& program, const QStringList& args,
                   const QProcessEnvironment& env = QProcessEnvironment());

// True when path names an executable file (a checker found when the build was configured).
bool ToolExists(const QString& path);

} // namespace chronivo
