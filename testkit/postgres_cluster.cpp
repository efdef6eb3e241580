#include "testkit/postgres_cluster.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "com/utf.h"

namespace fs = std::filesystem;

namespace {

// Who runs the server when the process is root.
struct ServerUser {
    uid_t uid;
    gid_t gid;
};

std::optional<ServerUser> server_user() {
    if (::geteuid() != 0) return std::nullopt;
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    if (!nobody) throw std::runtime_error("PostgreSQL refuses to run as root, and there is no user nobody to run it as");
    return ServerUser{nobody->pw_uid, nogroup ? nogroup->gr_gid : nobody->pw_gid};
}

void give_to_server_user(const fs::path& path) {
    if (std::optional<ServerUser> user = server_user())
        if (::chown(path.c_str(), user->uid, user->gid) != 0)
            throw std::system_error(errno, std::generic_category(), "chown " + path.string());
}

std::string read_whole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A value in single quotes for postgresql.conf.
std::string conf_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted.push_back('\'');
        quoted.push_back(c);
    }
    return quoted + "'";
}

// A value as psqlODBC takes it: plain, since it reads no braces; one that would end the attribute
// early is refused.
std::u16string attribute_value(const std::string& text) {
    if (text.find_first_of(";{}") != std::string::npos)
        throw std::invalid_argument("psqlODBC cannot be given \"" + text + "\" in a connection string");
    return utf16(text);
}

}  // namespace

std::u16string PostgresLogin::odbc_connection_string() const {
    return u"Driver={PostgreSQL Unicode};Servername=" + attribute_value(socket_folder.string()) +
           u";Port=" + utf16(std::to_string(port)) + u";Database=" + attribute_value(database) +
           u";Username=" + attribute_value(user) + u";Password=" + attribute_value(password) + u";";
}

std::optional<fs::path> PostgresCluster::find_binaries() {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const fs::directory_entry& version : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = version.path() / "bin";
        if (fs::is_regular_file(bin / "initdb", ec) && fs::is_regular_file(bin / "pg_ctl", ec)) found.push_back(bin);
    }
    if (found.empty()) return std::nullopt;
    // Versions are whole numbers (15, 16, ...): the longest name, then the greatest, is the newest.
    return *std::max_element(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.parent_path().filename().string(), y = b.parent_path().filename().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
}

PostgresCluster::PostgresCluster(fs::path binaries) : binaries_(std::move(binaries)) {
    std::string pattern = (fs::temp_directory_path() / "pm-postgres-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    folder_ = pattern;
    login_.socket_folder = folder_;
    login_.password = "pm-" + folder_.filename().string();
    try {
        give_to_server_user(folder_);
        const fs::path password_file = folder_ / "password";
        std::ofstream(password_file) << login_.password << "\n";
        give_to_server_user(password_file);
        run("initdb", {"--pgdata=" + (folder_ / "data").string(), "--username=" + login_.user,
                       "--pwfile=" + password_file.string(), "--auth=scram-sha-256", "--encoding=UTF8", "--locale=C",
                       "--no-sync"});
        fs::remove(password_file);
        // Only the socket in the folder, nothing on the network; a test cluster need not survive a crash.
        std::ofstream(folder_ / "data" / "postgresql.conf", std::ios::app)
            << "listen_addresses = ''\n"
            << "unix_socket_directories = " << conf_quoted(folder_.string()) << "\n"
            << "port = " << login_.port << "\n"
            << "fsync = off\nfull_page_writes = off\nsynchronous_commit = off\n";
        start();
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        throw;
    }
}

PostgresCluster::~PostgresCluster() {
    try {
        stop();
    } catch (const std::exception&) {
        // The folder goes all the same; a server left running fails on it and ends.
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void PostgresCluster::start() {
    if (running_) return;
    run("pg_ctl",
        {"start", "--wait", "--pgdata=" + (folder_ / "data").string(), "--log=" + (folder_ / "server.log").string()});
    running_ = true;
}

void PostgresCluster::stop() {
    if (!running_) return;
    run("pg_ctl", {"stop", "--wait", "--mode=fast", "--pgdata=" + (folder_ / "data").string()});
    running_ = false;
}

void PostgresCluster::run(const std::string& program, const std::vector<std::string>& arguments) const {
    const fs::path path = binaries_ / program;
    const fs::path output = folder_ / (program + ".out");
    std::vector<std::string> words{path.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::optional<ServerUser> user = server_user();

    int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) throw std::system_error(errno, std::generic_category(), "open " + output.string());
    const pid_t child = ::fork();
    if (child == 0) {
        // The programs run in their folder: the test's own may be closed to nobody.
        if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0 || ::chdir(folder_.c_str()) != 0) ::_exit(126);
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0)) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out);
    if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    std::ostringstream why;
    why << program << " " << arguments.front() << " failed (";
    if (WIFEXITED(status)) why << "exit status " << WEXITSTATUS(status);
    else why << "signal " << WTERMSIG(status);
    why << "): " << read_whole(output);
    if (program == "pg_ctl") why << read_whole(folder_ / "server.log");
    throw std::runtime_error(why.str());
}
