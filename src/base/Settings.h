// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

#include <functional>
#include <string>

namespace zentrova {

// Access to the settings file ZENTRO.INI. Every read and every write opens the
// file anew, so two windows never hold stale copies. A write that fails
// (read-only folder, full disk) keeps the old values, and the failure handler
// hears of it once per run.
class Settings {
public:
    explicit Settings(std::string iniPath) : path_(std::move(iniPath)) {}

    // The value of [section] key, or `def` when the file, section or key is missing.
    std::string readSetting(const std::string& section, const std::string& key, const std::string& def) const;
    // Writes [section] key=value, creating file and section as needed. Only
    // that line changes: the rest of the file, its line ends and its spacing
    // around "=" stay as the user left them (see withIniValue). A value with
    // a line break or a NUL is refused (it could not read back as written),
    // and the failure handler hears of every such value. True when written.
    bool writeSetting(const std::string& section, const std::string& key, const std::string& value) const;

    const std::string& path() const { return path_; }

    // Empty while the settings file is missing or a regular file; otherwise
    // the path and why no setting can be read or kept there.
    QString problem() const;
    // Problem() the first time it is not empty, then empty: the user is told once per run.
    QString unreportedProblem() const;

    // Told "path: reason" the first time a setting cannot be kept (and not
    // at all when the problem was reported already).
    void setWriteFailureHandler(std::function<void(const QString&)> handler) { onWriteFailure_ = std::move(handler); }

private:
    std::string path_;
    mutable bool problemReported_ = false;
    std::function<void(const QString&)> onWriteFailure_;

    void reportWriteFailure(const QString& reason) const;
};

} // namespace zentrova
