#pragma once
// The application server on its own thread, as `serve` runs it, its log lines formatted and
// written to nowhere; for the benchmarks that measure calls over a real loopback connection.

#include "server/database.h"
#include "server/net/app_server.h"

#include <QMetaObject>
#include <QThread>

#include <cstdio>
#include <memory>

namespace benchsupport {

class InProcessServer {
public:
    explicit InProcessServer(const server::DatabaseUrl& url) : InProcessServer(optionsFor(url)) {}
    // Any other serving options (workers, TLS); the port is always a free one.
    explicit InProcessServer(server::net::ServeOptions options) : log_(std::fopen("/dev/null", "w"))
    {
        options.port = 0;
        options.log = log_;
        // Benchmarks open connections on loopback far faster than a client address may.
        options.connectionRate = 1e6;
        options.connectionBurst = 1'000'000;
        server_ = std::make_unique<server::net::AppServer>(std::move(options));
        server_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            server_.get(), [this] { server_->start(); }, Qt::BlockingQueuedConnection);
    }
    ~InProcessServer()
    {
        QMetaObject::invokeMethod(
            server_.get(), [this] { server_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        std::fclose(log_);
    }
    InProcessServer(const InProcessServer&) = delete;
    InProcessServer& operator=(const InProcessServer&) = delete;

    quint16 port() const { return server_->port(); }

private:
    static server::net::ServeOptions optionsFor(const server::DatabaseUrl& url)
    {
        server::net::ServeOptions options;
        options.database = url;
        return options;
    }

    std::FILE* log_;
    QThread thread_;
    std::unique_ptr<server::net::AppServer> server_;
};

}  // namespace benchsupport
