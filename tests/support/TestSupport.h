#pragma once

#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "app/Collection.h"
#include "data/Database.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace testsupport {

// Answers message boxes from a script and records every box shown, so tests can check the exact
// texts, titles, icons and buttons. With no scripted answer left, a box takes its default.
class ScriptedMessageBox final : public seams::MessageBox {
 public:
  ScriptedMessageBox() { seams::SetMessages(this); }
  ~ScriptedMessageBox() override { seams::SetMessages(nullptr); }

  void Answer(seams::MsgAnswer answer) { answers_.push_back(answer); }
  // Runs as each box is shown: what the window shows while the user is asked.
  void OnShow(std::function<void()> hook) { onShow_ = std::move(hook); }
  seams::MsgAnswer Show(const seams::MessageRequest& request) override;

  const std::vector<seams::MessageRequest>& Shown() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  std::deque<seams::MsgAnswer> answers_;
  std::vector<seams::MessageRequest> shown_;
  std::function<void()> onShow_;
};

// A message box as shown: its text, title, buttons and icon.
void ExpectBox(const seams::MessageRequest& shown, const QString& text, const QString& title,
               seams::MsgButtons buttons, seams::MsgIcon icon);

// Installs a fixed "today" for as long as it lives.
class FixedClock final : public seams::Clock {
 public:
  explicit FixedClock(QDate today) : today_(today) { seams::SetClock(this); }
  ~FixedClock() override { seams::SetClock(nullptr); }
  QDate Today() const override { return today_; }

 private:
  QDate today_;
};

// A fresh database file in its own temporary folder, opened as a collection of its own with its
// tables made, as every start does; closed and removed again at the end of the test.
class TempDatabase : public Collection {
 public:
  TempDatabase();
  ~TempDatabase();

  QString Folder() const { return dir_.path(); }
  // Inserts one DVD row with plain SQL (bound parameters).
  void AddDvd(const QString& title, const QString& category = {}, qint32 status = 0,
              const QString& name = {}, const QString& date = "2000-01-01",
              const QString& dueDate = "2000-01-01", const QString& barCode = {},
              const QString& rated = {}, const QString& starring = {},
              const QString& description = {});
  void AddCustomer(const QString& name, const QString& phone = {});
  // The first column of each row of a query, as text.
  QStringList Column(const QString& sql) const;

 private:
  QTemporaryDir dir_;
};

// Makes a fresh temporary folder the current one for as long as it lives: the error report's
// "ErrorLog" is written there.
class TempCurrentFolder {
 public:
  TempCurrentFolder();
  ~TempCurrentFolder();
  QString Path() const { return dir_.path(); }
  // The log's text; empty when nothing was logged.
  QString ErrorLog() const;

 private:
  QTemporaryDir dir_;
  QString previous_;
};

// Sets (or, with a null value, unsets) an environment variable for as long as it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const QByteArray& value);
  ~ScopedEnvironment();

 private:
  const char* name_;
  QByteArray saved_;
  bool wasSet_;
};

// The scanner library (the one built beside the program) hooked, with its feed in a runtime
// folder of the test's own, for as long as it lives. Scan writes a line into the feed, as a
// script would.
class ScannerFeed {
 public:
  ScannerFeed();
  ~ScannerFeed();
  void Scan(const QByteArray& line) const;

 private:
  QTemporaryDir runtime_;
  ScopedEnvironment environment_;
};

// Runs the stock sqlite3 shell on a file and returns its output (trimmed).
QString Sqlite3Shell(const QString& file, const QString& sql);

// SHA-256 of a file's bytes, in hex; empty when it cannot be read.
QByteArray Checksum(const QString& path);

}  // namespace testsupport
