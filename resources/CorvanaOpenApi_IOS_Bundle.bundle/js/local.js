// Answers that come back to the application as URLs (form-encoded by the
// native side): an app's login answer ("corvana<appid>://sso/…" or
// "…://pzapp/…") goes to the app-switch transport, anything else (a browser
// login's answer) to the session. "YES" when it was taken.
corvana.localresult.handleAuthorizeResult = function (encoded) {
    var text = encoded === undefined || encoded === null ? '' : String(encoded);
    var url;
    try {
        url = decodeURIComponent(text.replace(/\+/g, ' '));
    } catch (e) {
        return 'NO';
    }
    var oauth = window.oauth;
    if (!oauth)
        return 'NO';
    var app = /^corvana[^:\/]*:\/\/(sso|pzapp)\//i.test(url);
    var answer = app ? oauth.jsCallHandleOpenUrlByOpenApi(JSON.stringify({ urlStr: text }))
                     : oauth.jsCallHandleOpenURLByOAuth(JSON.stringify({ urlStr: text }));
    return answer === 'YES' ? 'YES' : 'NO';
};

// The pending story (its parameters wait on the native side) goes out with
// the signed-in user's token and open id. "true" when it was sent.
corvana.localresult.sendStory = function () {
    var oauth = window.oauth;
    var state = corvana.oauth || {};
    if (!oauth)
        return 'false';
    var answer = oauth.sendStoryImple(JSON.stringify({ accesstoken: state.accessToken, openid: state.openId }));
    return answer === 'YES' ? 'true' : 'false';
};
