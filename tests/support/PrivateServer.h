#pragma once
// A Firebird server of the test's own, started by tests/db/fbserver.sh on 127.0.0.1 on a free port, with its own
// configuration, security database (SYSDBA / masterkey), lock and temp folders under a temporary folder. The test
// may kill it at any moment, as a crash or a pulled cable would, and start it again.
#include "DemoDb.h"

#include <optional>
#include <string>

namespace testsupport
{

class PrivateServer
{
public:
    // Starts the server; throws std::runtime_error with the script's output when it cannot.
    PrivateServer();
    // Stops the server (if it still runs) and removes its folder.
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // The connection path of database `name` on this server: "127.0.0.1/<port>:<folder>/<name>.fdb".
    std::string DatabasePath(const std::string& name) const;
    // Creates database `name` through the server, replacing an old one: empty, or with the trade system's tables
    // and the content asked for.
    void CreateDatabase(const std::string& name, std::optional<demodb::Content> content = std::nullopt) const;
    // Kills the server at once (SIGKILL) and waits until it is gone; its port then refuses connections.
    void Kill();
    bool Running() const;

private:
    std::string dir_;
    std::string port_;
    int pid_ = 0;
};

} // namespace testsupport
