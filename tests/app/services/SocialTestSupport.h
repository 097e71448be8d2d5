#pragma once

// The points, prize, like, comment, upload, publish and profile services on
// the test buses: SocialBus is AuthBus with them added, and socialRoadConfig
// is the road configuration with them added and the upload "url" set.

#include "RoadTestSupport.h"

// Appends the entries of those services to the configuration's "services".
void addSocialServices(const pf::DictionaryRef& config, const std::string& uploadUrl);
pf::DictionaryRef socialRoadConfig(const std::string& apiUrl, const std::string& uploadUrl);

class SocialBus : public AuthBus {
protected:
    void SetUp() override;
    void TearDown() override;
};
