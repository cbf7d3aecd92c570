#pragma once

#include <stdexcept>
#include <string>

// An error of the database engine, carrying the engine's own message.
class StoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The database file could not be opened as the result store: missing, not
// a database, the wrong key, or without the tables. All causes look alike
// to the user.
class StoreOpenError : public StoreError
{
public:
    using StoreError::StoreError;
};
