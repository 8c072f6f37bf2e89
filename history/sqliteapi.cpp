#include "history/sqliteapi.h"

#include <dlfcn.h>

#include <memory>

namespace qv::history {

namespace {

constexpr const char *libraryName = "libsqlite3.so.0";

struct Loaded {
    std::unique_ptr<SqliteApi> api;
    std::string error;
};

template <typename Function> bool resolve(void *library, Function &function, const char *name, std::string &error)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function)
        error = std::string(libraryName) + " has no " + name;
    return function != nullptr;
}

Loaded open()
{
    Loaded l;
    void *library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *why = dlerror();
        l.error = why ? why : std::string(libraryName) + " could not be opened";
        return l;
    }
    auto api = std::make_unique<SqliteApi>();
    const bool ok = resolve(library, api->open_v2, "sqlite3_open_v2", l.error) &&
                    resolve(library, api->close_v2, "sqlite3_close_v2", l.error) &&
                    resolve(library, api->busy_timeout, "sqlite3_busy_timeout", l.error) &&
                    resolve(library, api->exec, "sqlite3_exec", l.error) &&
                    resolve(library, api->free, "sqlite3_free", l.error) &&
                    resolve(library, api->errmsg, "sqlite3_errmsg", l.error) &&
                    resolve(library, api->prepare_v2, "sqlite3_prepare_v2", l.error) &&
                    resolve(library, api->bind_int, "sqlite3_bind_int", l.error) &&
                    resolve(library, api->bind_int64, "sqlite3_bind_int64", l.error) &&
                    resolve(library, api->step, "sqlite3_step", l.error) &&
                    resolve(library, api->reset, "sqlite3_reset", l.error) &&
                    resolve(library, api->finalize, "sqlite3_finalize", l.error) &&
                    resolve(library, api->column_int, "sqlite3_column_int", l.error) &&
                    resolve(library, api->column_int64, "sqlite3_column_int64", l.error) &&
                    resolve(library, api->last_insert_rowid, "sqlite3_last_insert_rowid", l.error);
    if (!ok) {
        dlclose(library);
        return l;
    }
    l.api = std::move(api);
    return l;
}

const Loaded &loaded()
{
    static const Loaded once = open();
    return once;
}

} // namespace

const SqliteApi *sqliteApi(std::string &error)
{
    const Loaded &l = loaded();
    if (!l.api)
        error = l.error;
    return l.api.get();
}

const SqliteApi &sqlite()
{
    return *loaded().api;
}

} // namespace qv::history
