// The daemon's login check: a user name and password against a users file
// of crypt(3) hashes, or against the local account database.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolq::evald {

struct Login {
    std::string user;
    std::string password;
    std::string workdir;
};

// Splits a login payload: user, NUL, password, NUL, working directory, NUL.
std::optional<Login> parse_login(std::string_view payload);

// The account the evaluator runs as after a local-account login.
struct Account {
    unsigned uid = 0;
    unsigned gid = 0;
    std::string name;
};

struct LoginResult {
    bool accepted = false;
    std::optional<Account> account; // set for a local-account login
};

// users_file empty: the local account database; otherwise the file's
// "name:hash" lines.
LoginResult check_login(const std::string& users_file, const Login& login);

// Whether password matches a crypt(3) hash (empty and locked hashes never match).
bool password_matches(std::string_view password, const std::string& hash);

} // namespace tolq::evald
