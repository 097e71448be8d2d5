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

    function call(module, name, args) {
        var m = window[module];
        if (!m || typeof m[name] !== 'function')
            return null;
        return m[name](JSON.stringify(args));
    }

    // origin: the OAuth server's, from the native server table.
    c.cauth.init = function (appId, origin) {
        c.oauth.appId = text(appId);
        if (origin)
            c.config.oauthOrigin = text(origin) + '/oauth2.0';
    };

    // Logs in through an app: stores the payload in a board slot the app
    // reads and opens the app on it. False when the app could not be opened.
    function loginInApp(permissions, appScheme, general, urlOf) {
        var payload = {
            permission: permissions,
            appid: c.oauth.appId,
            ResponseType: 'token',
            bundleId: text(window.openapi && openapi.getBundleIdentifier()),
            jsVersion: text(window.openapi && openapi.getJSVersion())
        };
        var slot;
        if (general) {
            payload.appScheme = appScheme;
            slot = call('openapi', 'saveDictionaryByGeneralPastboardWithSchema', payload);
        } else {
            slot = call('openapi', 'saveDictionary', payload);
        }
        if (!slot)
            return false;
        return call('openapi', 'openURL', { url: urlOf(slot, general ? '1' : '0') }) === 'true';
    }

    // The route of a login: the ZZ app (version 3), else the Plaza app
    // (version 5), else the login page.
    c.cauth.login = function (permissions) {
        permissions = text(permissions);
        c.cauth.permissions = permissions;
        var appScheme = 'corvana' + c.oauth.appId;
        var callable = call('openUi', 'getZZInfo', { appSchema: appScheme }) === 'YES';
        var cfg = c.config;
        if (callable && call('openApi', 'isAppVersion', { v3: cfg.zzProbe }) === 'true') {
            var zzGeneral = call('openapi', 'isSupportPastboard', { url: cfg.zzGeneralBoard }) === 'true';
            if (loginInApp(permissions, appScheme, zzGeneral, function (slot, g) {
                return 'mzzOpensdkSSoLogin://SSoLogin/' + appScheme + '/' + slot + '?generalpastboard=' + g;
            }))
                return 'true';
        }
        if (callable && call('openApi', 'isAppVersion', { v5: cfg.plazaProbe }) === 'true') {
            var plazaGeneral = call('openapi', 'isSupportPastboard', { url: cfg.plazaGeneralBoard }) === 'true';
            if (loginInApp(permissions, appScheme, plazaGeneral, function (slot, g) {
                return 'mplazaopensdkapi://pzapp/' + appScheme + '/' + slot + '/0?generalpastboard=' + g;
            }))
                return 'true';
        }
        return call('oauth', 'authorizeInWebviewKitWithParams', {
            permission: permissions,
            appid: c.oauth.appId,
            appScheme: appScheme
        }) === 'true' ? 'true' : 'false';
    };
    c.cauth.inAuth = function (permissions) {
        c.cauth.permissions = text(permissions);
    };

    c.result.loginComplete = function (token, openId, expiration) {
        c.oauth.accessToken = text(token);
        c.oauth.openId = text(openId);
        c.oauth.expirationDate = Number(expiration) || 0;
    };
    // User information the application asked for (getUserInfoResponse:),
    // as against the session's own fetch of the nickname: counted from the
    // call until its answer has been delivered.
    var userAsked = 0;
    c.result.shouldUserGetUserInfo = function () {
        return userAsked > 0 ? 'true' : 'false';
    };
    // An answer arrived natively: deliver it to the session under its name;
    // user information goes through the deliveries that keep the nickname.
    var deliveries = {
        'getUserInfoResponse:': 'httpJsResponseCallbackUserInfo',
        'getUserInfoNotShowResponse:': 'httpJsResponseNotShowCallbackUserInfo'
    };
    c.result.httpResponse = function (key, callback) {
        var name = text(callback);
        native(deliveries.hasOwnProperty(name) ? deliveries[name] : 'httpJsResponseCallback',
               { key: text(key), callback: name });
        if (name === 'getUserInfoResponse:' && userAsked > 0)
            userAsked--;
    };

    c.netmonitor.statusChanged = function (status) {
        c.netmonitor.status = text(status);
    };

    // One generic function per operation name: it answers "true" once the
    // request is on its way.
    function operation(name) {
        return function (key, callback) {
            if (name === 'getUserInfo' && text(callback) === 'getUserInfoResponse:')
                userAsked++;
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
            var kind = kinds.hasOwnProperty(message.object_type) ? kinds[message.object_type] : (link ? 'url' : '');
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
