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
