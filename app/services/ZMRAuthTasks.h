#pragma once

// The account's tasks: sign-in with account and password, registration, the
// check of the stored sign-in, sign-in and binding with a Voxly or ZZ token,
// and the sign-out notice to the server. Plain data: every field starts nil,
// zero or false, and senders fill them before handing the task over.
// Main queue only.

#include "framework/core/KRTask.h"

#include <optional>
#include <string>

class IZMRLoginTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& account() const = 0;
    virtual void setAccount(std::optional<std::string> account) = 0;
    virtual const std::optional<std::string>& password() const = 0;
    virtual void setPassword(std::optional<std::string> password) = 0;
};

class IZMRRegisterTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& account() const = 0;
    virtual void setAccount(std::optional<std::string> account) = 0;
    virtual const std::optional<std::string>& password() const = 0;
    virtual void setPassword(std::optional<std::string> password) = 0;
    virtual const std::optional<std::string>& nick() const = 0;
    virtual void setNick(std::optional<std::string> nick) = 0;
};

// The fields shared by the four Voxly and ZZ token tasks; `expires_in` is the
// token's lifetime in seconds.
class IZMRTokenTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& token() const = 0;
    virtual void setToken(std::optional<std::string> token) = 0;
    virtual double expires_in() const = 0;
    virtual void setExpires_in(double expires_in) = 0;
};

class IZMRVoxlyLoginTask : public virtual IZMRTokenTask {};

class IZMRVoxlyBindTask : public virtual IZMRTokenTask {};

class IZMRZZLoginTask : public virtual IZMRTokenTask {};

class IZMRZZBindTask : public virtual IZMRTokenTask {};

class ZMRAuthTask final : public KRUplinkTask {};

class ZMRLoginTask final : public KRUplinkTask, public virtual IZMRLoginTask {
public:
    const std::optional<std::string>& account() const override { return m_account; }
    void setAccount(std::optional<std::string> account) override { m_account = std::move(account); }
    const std::optional<std::string>& password() const override { return m_password; }
    void setPassword(std::optional<std::string> password) override { m_password = std::move(password); }

private:
    std::optional<std::string> m_account;
    std::optional<std::string> m_password;
};

class ZMRRegisterTask final : public KRUplinkTask, public virtual IZMRRegisterTask {
public:
    const std::optional<std::string>& account() const override { return m_account; }
    void setAccount(std::optional<std::string> account) override { m_account = std::move(account); }
    const std::optional<std::string>& password() const override { return m_password; }
    void setPassword(std::optional<std::string> password) override { m_password = std::move(password); }
    const std::optional<std::string>& nick() const override { return m_nick; }
    void setNick(std::optional<std::string> nick) override { m_nick = std::move(nick); }

private:
    std::optional<std::string> m_account;
    std::optional<std::string> m_password;
    std::optional<std::string> m_nick;
};

class ZMRLogoutTask final : public KRUplinkTask {};

// The common base of the four token task classes.
class ZMRTokenTask : public KRUplinkTask, public virtual IZMRTokenTask {
public:
    const std::optional<std::string>& token() const override { return m_token; }
    void setToken(std::optional<std::string> token) override { m_token = std::move(token); }
    double expires_in() const override { return m_expires_in; }
    void setExpires_in(double expires_in) override { m_expires_in = expires_in; }

private:
    std::optional<std::string> m_token;
    double m_expires_in = 0;
};

class ZMRVoxlyLoginTask final : public ZMRTokenTask, public virtual IZMRVoxlyLoginTask {};

class ZMRVoxlyBindTask final : public ZMRTokenTask, public virtual IZMRVoxlyBindTask {};

class ZMRZZLoginTask final : public ZMRTokenTask, public virtual IZMRZZLoginTask {};

class ZMRZZBindTask final : public ZMRTokenTask, public virtual IZMRZZBindTask {};
