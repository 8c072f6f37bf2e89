#include "net/curlapi.h"

#include <dlfcn.h>

#include <mutex>

namespace {

const char *libraryName = "libcurl.so.4";

struct Loaded
{
    std::once_flag once;
    std::unique_ptr<CurlApi> api;
    QString error;
};

Loaded &loaded()
{
    static Loaded instance;
    return instance;
}

// The loader's own words when it has any: they name the file or the symbol.
QString unavailable(const char *what)
{
    const char *why = dlerror();
    return QStringLiteral("Network library unavailable: %1").arg(QString::fromLocal8Bit(why ? why : what));
}

template <typename F>
bool resolve(void *library, F &function, const char *name, QString &error)
{
    dlerror();
    function = reinterpret_cast<F>(dlsym(library, name));
    if (!function)
        error = unavailable(name);
    return function != nullptr;
}

} // namespace

std::unique_ptr<CurlApi> openCurlApi(const char *fileName, QString &error)
{
    void *library = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        error = unavailable(fileName);
        return nullptr;
    }
    auto api = std::make_unique<CurlApi>();
    const bool ok = resolve(library, api->global_init, "curl_global_init", error)
        && resolve(library, api->easy_init, "curl_easy_init", error)
        && resolve(library, api->easy_setopt, "curl_easy_setopt", error)
        && resolve(library, api->easy_getinfo, "curl_easy_getinfo", error)
        && resolve(library, api->easy_strerror, "curl_easy_strerror", error)
        && resolve(library, api->easy_cleanup, "curl_easy_cleanup", error)
        && resolve(library, api->multi_init, "curl_multi_init", error)
        && resolve(library, api->multi_add_handle, "curl_multi_add_handle", error)
        && resolve(library, api->multi_perform, "curl_multi_perform", error)
        && resolve(library, api->multi_poll, "curl_multi_poll", error)
        && resolve(library, api->multi_wakeup, "curl_multi_wakeup", error)
        && resolve(library, api->multi_info_read, "curl_multi_info_read", error)
        && resolve(library, api->multi_remove_handle, "curl_multi_remove_handle", error)
        && resolve(library, api->multi_cleanup, "curl_multi_cleanup", error)
        && resolve(library, api->slist_append, "curl_slist_append", error)
        && resolve(library, api->slist_free_all, "curl_slist_free_all", error);
    if (!ok) {
        dlclose(library);
        return nullptr;
    }
    return api;
}

const CurlApi *curlApi()
{
    Loaded &l = loaded();
    // curl_global_init is not thread-safe itself; here it runs exactly once.
    std::call_once(l.once, [&l] {
        l.api = openCurlApi(libraryName, l.error);
        if (l.api && l.api->global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            l.api.reset();
            l.error = QStringLiteral("Network library unavailable: libcurl did not initialise");
        }
    });
    return l.api.get();
}

QString curlApiError()
{
    curlApi();
    return loaded().error;
}

void useCurlLibrary(const char *fileName)
{
    libraryName = fileName;
}
