#pragma once

// The application's road without screens against a real server: the shell
// with the envelope, the account and list services, the API service and the
// HTTP service, pointed at a URL of the test's choosing.

#include "AuthTestSupport.h"

#include <string>

// The services of the application's configuration, with the API service's
// "url" set and a short time-out.
pf::DictionaryRef roadConfig(const std::string& apiUrl, double timeout = 5);

// Sends the task with the recorder as delegate and runs the main loop until
// the recorder heard one more outcome; false on time-out.
bool sendAndWait(const std::shared_ptr<ZMRShell>& shell, const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                 const std::shared_ptr<UplinkRecorder>& recorder, double seconds = 10);
