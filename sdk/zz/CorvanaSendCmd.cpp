// The script half of the runtime's calling convention.
#include "sdk/zz/CorvanaJSRunEnv.h"

const char* const CorvanaJSRunEnv::sendCmdScript = R"JS(
var SendCmd = (function () {
    var S = window.SendCmd || {};
    S._RETURN_VALUE = undefined;

    S.createNameSpace = function (name) {
        var parts = String(name).split('.'), space = window;
        for (var i = 0; i < parts.length; i++) {
            if (space[parts[i]] === undefined || space[parts[i]] === null)
                space[parts[i]] = {};
            space = space[parts[i]];
        }
        return space;
    };

    // Logs and opens the URL, and answers what the native side set meanwhile
    // through setReturnValue, or null (_openURL without the log line).
    function dispatch(url) {
        console.log('[API]', url);
        S._RETURN_VALUE = undefined;
        openURL(url);
        var value = S._RETURN_VALUE;
        S._RETURN_VALUE = undefined;
        return value === undefined ? null : value;
    }

    // Module functions sit on the path of every native call the scripts
    // make, so their URL prefix and parameter names are made once, and the
    // common arities take named parameters instead of the costly arguments
    // object. A trailing undefined argument counts as not passed; one before
    // a passed argument still takes its place.
    function makeFunction(nameSpace, funcName, argNum) {
        var prefix = 'corvanajsbridge://' + nameSpace + '/' + funcName + '?', names = [];
        for (var n = 0; n < argNum; n++)
            names.push('p' + n + '=');
        function piece(i, value) {
            return names[i] + encodeURIComponent(value) + '&';
        }
        if (argNum === 0)
            return function () {
                return dispatch(prefix);
            };
        // Every piece of text joined costs a new engine string: the fixed
        // parts are joined once here.
        var first = prefix + names[0], second = argNum > 1 ? '&' + names[1] : '';
        if (argNum === 1)
            return function (a0) {
                return dispatch(a0 === undefined ? prefix : first + encodeURIComponent(a0) + '&');
            };
        if (argNum === 2)
            return function (a0, a1) {
                if (a1 !== undefined)
                    return dispatch(first + encodeURIComponent(a0) + second + encodeURIComponent(a1) + '&');
                return dispatch(a0 === undefined ? prefix : first + encodeURIComponent(a0) + '&');
            };
        return function () {
            var count = arguments.length < argNum ? arguments.length : argNum;
            while (count > 0 && arguments[count - 1] === undefined)
                count--;
            var url = prefix;
            for (var i = 0; i < count; i++)
                url += piece(i, arguments[i]);
            return dispatch(url);
        };
    }

    S.createClass = function (nameSpace, methodJson) {
        if (!nameSpace || !methodJson) {
            alert('nameSpace = ' + nameSpace + ' methodJSon = ' + methodJson);
            return;
        }
        var space = S.createNameSpace(nameSpace), list = JSON.parse(methodJson);
        for (var i = 0; i < list.length; i++)
            space[list[i].funcName] = makeFunction(nameSpace, list[i].funcName, list[i].argNum);
    };

    function send(scheme, nameSpace, funcName, params) {
        var url = scheme + '://' + nameSpace + '/' + funcName;
        if (params !== null && params !== undefined)
            url += '?' + params;
        return dispatch(url);
    }

    S._sendMessageToObjectC = function (nameSpace, funcName, params) {
        return send('corvanajsbridge', nameSpace, funcName, params);
    };
    S._sendHttpUrlReq = function (a, b, c) {
        return send('sendhttpurl', a, b, c);
    };
    S._createObject = function (a, b, c) {
        return S._sendMessageToObjectC(a, b, c);
    };
    S._endfunc = function (a, b, c) {
        return S._sendMessageToObjectC(a, b, c);
    };

    S._openURL = function (url) {
        S._RETURN_VALUE = undefined;
        openURL(url);
        var value = S._RETURN_VALUE;
        S._RETURN_VALUE = undefined;
        return value === undefined ? null : value;
    };
    S.setReturnValue = function (value) {
        S._RETURN_VALUE = value;
    };
    return S;
})();
window.SendCmd = SendCmd;
)JS";
