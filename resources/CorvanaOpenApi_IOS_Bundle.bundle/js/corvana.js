// The entry points the native session evaluates, and the ZZ Connect
// operations: each sends one request through the native "oauth" module and
// hands the answer back under its callback name.
(function (c) {
    function text(value) {
        return value === undefined || value === null ? '' : String(value);
    }
    function native(name, args) {
        var module = window.oauth;
        if (!module || typeof module[name] !== 'function')
            return null;
        return module[name](JSON.stringify(args));
    }

    c.cauth.init = function (appId) {
        c.oauth.appId = text(appId);
    };
    c.cauth.login = function (permissions) {
        c.cauth.permissions = text(permissions);
    };
    c.cauth.inAuth = function (permissions) {
        c.cauth.permissions = text(permissions);
    };

    c.result.loginComplete = function (token, openId, expiration) {
        c.oauth.accessToken = text(token);
        c.oauth.openId = text(openId);
        c.oauth.expirationDate = Number(expiration) || 0;
    };
    c.result.shouldUserGetUserInfo = function () {
        return c.oauth.accessToken !== '' && c.oauth.openId !== '' ? 'YES' : 'NO';
    };
    // An answer arrived natively: deliver it to the session under its name.
    c.result.httpResponse = function (key, callback) {
        native('httpJsResponseCallback', { key: text(key), callback: text(callback) });
    };

    c.netmonitor.statusChanged = function (status) {
        c.netmonitor.status = text(status);
    };

    // One generic function per operation name: it answers "true" once the
    // request is on its way.
    function operation(name) {
        return function (key, callback) {
            native('httpGet', {
                url: c.config.oauthOrigin + '/' + name,
                accesstoken: c.oauth.accessToken,
                openid: c.oauth.openId,
                appid: c.oauth.appId,
                params: {},
                key: text(key),
                callback: text(callback)
            });
            return 'true';
        };
    }
    var spaces = c.config.operations;
    for (var space in spaces) {
        if (!spaces.hasOwnProperty(space))
            continue;
        for (var i = 0; i < spaces[space].length; i++)
            c[space][spaces[space][i]] = operation(spaces[space][i]);
    }

    // The message is checked as ZZ would check it ("-1" when it fails), but
    // this application never hands a share to ZZ: "-2", not supported.
    c.share.shareMessageToZZ = function (message) {
        if (!message || typeof message !== 'object')
            return '-1';
        var api = window.nativeApi;
        if (api) {
            var link = message.isUrlObject === 'YES';
            if (link && api.checkZZApiURLMessage() !== 'YES')
                return '-1';
            var kinds = { ZZApiImageObject: 'img', ZZApiExtendObject: 'file' };
            var kind = kinds[message.object_type] || (link ? 'url' : '');
            if (kind && api.isLargeDataLengthLegal(kind) !== 'YES')
                return '-1';
        }
        return '-2';
    };
})(corvana);

var corvana_base = window.corvana_base || {};
corvana_base.getUserInfo = function () {
    return corvana.info.getUserInfo('getUserInfoResponse:', 'getUserInfoResponse:');
};
window.corvana_base = corvana_base;
