#include "CurlGlobal.h"

#include <curl/curl.h>

#include <stdexcept>

CurlGlobal::CurlGlobal()
{
    // libcurl counts its own init and cleanup calls.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw std::runtime_error("the HTTP library could not be set up");
}

CurlGlobal::~CurlGlobal()
{
    curl_global_cleanup();
}
