// Login check of the evaluator daemon.
#include "login.h"

#include <crypt.h>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <shadow.h>
#include <vector>

namespace tolq::evald {
namespace {

// Compares without stopping at the first difference.
bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::optional<std::string> hash_from_file(const std::string& path, std::string_view user) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        if (std::string_view(line).substr(0, colon) == user) return line.substr(colon + 1);
    }
    return std::nullopt;
}

struct LocalAccount {
    Account account;
    std::string hash;
};

std::optional<LocalAccount> local_account(const std::string& user) {
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwnam_r(user.c_str(), &pw, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    LocalAccount local{{pw.pw_uid, pw.pw_gid, pw.pw_name}, pw.pw_passwd ? pw.pw_passwd : ""};
    spwd sp{};
    spwd* shadow = nullptr;
    std::vector<char> sbuffer(16384);
    if (getspnam_r(user.c_str(), &sp, sbuffer.data(), sbuffer.size(), &shadow) == 0 && shadow &&
        shadow->sp_pwdp)
        local.hash = shadow->sp_pwdp;
    return local;
}

} // namespace

std::optional<Login> parse_login(std::string_view payload) {
    std::string_view fields[3];
    for (auto& field : fields) {
        auto nul = payload.find('\0');
        if (nul == std::string_view::npos) return std::nullopt;
        field = payload.substr(0, nul);
        payload.remove_prefix(nul + 1);
    }
    if (!payload.empty() || fields[0].empty()) return std::nullopt;
    return Login{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

bool password_matches(std::string_view password, const std::string& hash) {
    if (hash.empty() || hash[0] == '*' || hash[0] == '!') return false;
    auto data = std::make_unique<crypt_data>();
    const std::string pass(password);
    const char* computed = crypt_r(pass.c_str(), hash.c_str(), data.get());
    if (!computed || computed[0] == '*') return false;
    return same_text(computed, hash);
}

LoginResult check_login(const std::string& users_file, const Login& login) {
    if (!users_file.empty()) {
        auto hash = hash_from_file(users_file, login.user);
        return {hash && password_matches(login.password, *hash), std::nullopt};
    }
    auto local = local_account(login.user);
    if (!local || !password_matches(login.password, local->hash)) return {};
    return {true, local->account};
}

} // namespace tolq::evald
