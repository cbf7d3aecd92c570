#pragma once

// libcurl's process-wide set-up, held for as long as the object lives.
// Make one before the first request and keep it until the last worker has
// ended; nested holders share one set-up.
class CurlGlobal
{
public:
    CurlGlobal();
    ~CurlGlobal();
    CurlGlobal(const CurlGlobal &) = delete;
    CurlGlobal &operator=(const CurlGlobal &) = delete;
};
