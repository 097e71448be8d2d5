// Answers that come back to the application as URLs.
corvana.localresult.handleAuthorizeResult = function (url) {
    var text = url === undefined || url === null ? '' : String(url);
    var query = text.indexOf('?') >= 0 ? text.substring(text.indexOf('?') + 1) : text;
    var pairs = query.split('&'), values = {};
    for (var i = 0; i < pairs.length; i++) {
        var at = pairs[i].indexOf('=');
        if (at > 0)
            values[pairs[i].substring(0, at)] = pairs[i].substring(at + 1);
    }
    if (!values.access_token || !values.openid)
        return 'NO';
    var expires = Number(values.expires_in);
    corvana.result.loginComplete(decodeURIComponent(values.access_token), decodeURIComponent(values.openid),
        new Date().getTime() + (isFinite(expires) ? expires * 1000 : 0));
    return 'YES';
};
