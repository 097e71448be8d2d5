// Loaded first: the name spaces every other script fills in, and the state
// the native side reads and writes.
var corvana = window.corvana || {};
corvana.oauth = corvana.oauth || { accessToken: null, openId: null, expirationDate: 0, appId: '' };
corvana.cauth = corvana.cauth || {};
corvana.result = corvana.result || {};
corvana.localresult = corvana.localresult || {};
corvana.netmonitor = corvana.netmonitor || { status: '' };
corvana.share = corvana.share || {};
corvana.info = corvana.info || {};
corvana.plaza = corvana.plaza || {};
corvana.voxly = corvana.voxly || {};
corvana.pub = corvana.pub || {};
window.corvana = corvana;
