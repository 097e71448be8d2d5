#pragma once

// Who an outside sign-in's token belongs to, asked of the provider that
// issued it, as a production backend asks: the ZZ servers' "/oauth2.0/me"
// answers the person's open id, the Voxly web servers'
// "/oauth2/get_token_info" its uid. An outside account is keyed by that id,
// never by the token's text: every sign-in and every road to a provider
// hands out tokens of its own for the same person.
//
// A lookup is bounded: a short connect and read time each, a few seconds
// in all, and a small answer; a longer or larger one counts as no answer.
// Any thread; every lookup has a connection of its own.

#include <string>

namespace zmr {

struct AppProviderSettings {
    std::string zz;     // "https://host:port" of the ZZ servers; empty: none
    std::string voxly;  // of the Voxly web servers; empty: none
    std::string caFile; // PEM file of the CAs to trust instead of the system's; empty: the system's
    int connectSeconds = 3;
    int readSeconds = 5;
};

class AppProviders {
public:
    explicit AppProviders(AppProviderSettings settings) : m_settings(std::move(settings)) {}

    struct Lookup {
        enum class Outcome {
            Person,        // `person` holds the provider's id of the token's person
            Refused,       // the provider does not know the token
            Unreachable,   // no usable answer in time
            NotConfigured, // no address for this provider
        } outcome = Outcome::NotConfigured;
        std::string person;
    };
    // `kind`: "zz" or "voxly".
    Lookup personFor(const std::string& kind, const std::string& token) const;
    bool has(const std::string& kind) const { return !address(kind).empty(); }

private:
    const std::string& address(const std::string& kind) const;

    AppProviderSettings m_settings;
};

}
