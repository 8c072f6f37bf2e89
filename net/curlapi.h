// libcurl, opened on the first transfer instead of being linked into the
// program: the library and everything it brings (TLS, Kerberos, LDAP, SSH ...)
// would otherwise be loaded and relocated before main() on every start, for a
// network that most games never use. <curl/curl.h> gives the types and
// constants only; every call goes through the pointers below.
#pragma once

#include <QString>

#include <curl/curl.h>

#include <memory>

struct CurlApi
{
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_strerror) easy_strerror;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_wakeup) multi_wakeup;
    decltype(&::curl_multi_info_read) multi_info_read;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;
};

// Opens fileName and resolves every function above. Null on failure, with the
// reason in error. The library stays loaded for the life of the process.
std::unique_ptr<CurlApi> openCurlApi(const char *fileName, QString &error);

// The program's libcurl, opened and initialised once on first use from any
// thread; null when it cannot be opened, and curlApiError() says why.
const CurlApi *curlApi();
QString curlApiError();

// The file curlApi() opens, "libcurl.so.4" unless changed before its first
// call; tests use it to play a machine without libcurl.
void useCurlLibrary(const char *fileName);
