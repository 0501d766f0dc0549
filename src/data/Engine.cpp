#include "data/Engine.h"

namespace kaoshi {

bool Engine::run(const QString &sql, const Values &values)
{
    std::unique_ptr<EngineStatement> statement = prepare(sql, values);
    if (!statement)
        return false;
    EngineStatement::Step s;
    while ((s = statement->step()) == EngineStatement::Step::Row) {
    }
    return s == EngineStatement::Step::Done;
}

} // namespace kaoshi
