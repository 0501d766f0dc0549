#include "app/StartUp.h"

#include "data/ServerConnection.h"

namespace kaoshi {

QString startFailureText(const QString &reason)
{
    return reason + QStringLiteral("\n\n可以重试，更改数据库设置，或者本次使用本机文件（考试修改.mdb）。");
}

StartUpChoice chooseDatabaseAtStart(const QString &dataDir, StartUpQuestions &questions)
{
    QString password;
    for (;;) {
        DatabaseChoice choice = readDatabaseChoice(dataDir);
        if (choice.kind == DatabaseChoice::Kind::File)
            return {choice, false};
        choice.server.password = password;
        ServerConnection probe;
        if (probe.open(choice.server))
            return {choice, false};
        const QString reason = serverFailureText(probe.failure(), choice.server, probe.lastError().message);
        // The server asks for a password, or refused the one typed: ask (again).
        const bool refusedTyped = !password.isEmpty() && probe.failure() == ServerFailure::Authentication;
        if (probe.neededPassword() || refusedTyped) {
            password.clear();
            if (std::optional<QString> typed = questions.password(choice.server, refusedTyped ? reason : QString())) {
                password = *typed;
                continue;
            }
        }
        switch (questions.afterFailure(startFailureText(reason))) {
        case AfterServerFailure::Retry: break;
        case AfterServerFailure::ChangeSettings: questions.changeSettings(); break;
        case AfterServerFailure::UseLocalFile: return {DatabaseChoice{}, true};
        }
    }
}

} // namespace kaoshi
