#pragma once
// A SQLite file in a temporary folder with a writable connection of its own, as the
// application server would hold it (WAL), for tests that read it through dtmDBGeral.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class ScratchDatabase {
public:
    explicit ScratchDatabase(const QStringList& statements = {})
        : path_(dir_.filePath(QStringLiteral("scratch.db"))), name_(QStringLiteral("scratch-writer"))
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
            db.setDatabaseName(path_);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            if (!db.open()) ADD_FAILURE() << db.lastError().text().toStdString();
        }
        Exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        for (const QString& s : statements) Exec(s);
    }
    ~ScratchDatabase()
    {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    QString Url() const { return QStringLiteral("sqlite:") + path_; }
    const QString& Path() const { return path_; }
    QSqlDatabase Writer() const { return QSqlDatabase::database(name_, false); }

    void Exec(const QString& sql) const
    {
        QSqlQuery q(Writer());
        if (!q.exec(sql)) ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }

private:
    QTemporaryDir dir_;
    QString path_;
    QString name_;
};
