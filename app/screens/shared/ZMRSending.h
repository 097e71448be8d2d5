#pragma once

// A form's status view while its entry is sent: the status "loading" and no
// touches, so the form cannot be sent twice; after either answer no status
// and touches again. A null view changes nothing. Main queue only.

class KRStatusView;

void ZMRSetSending(KRStatusView* statusView, bool sending);
