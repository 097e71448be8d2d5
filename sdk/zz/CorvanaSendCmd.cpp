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
    // make. Each is compiled once, when its module is declared, from text
    // that holds its URL prefix and parameter names as literals. What it
    // uses (SendCmd, the encoding join, the navigation hook and the
    // console, whose log it looks up on each call) it receives as bound
    // leading arguments, taken when the module is declared: a name resolved
    // through the scope chain costs a walk up to the global object on every
    // call.
    // A trailing undefined argument counts as not passed; one before a
    // passed argument still takes its place.
    function literal(text) {
        return JSON.stringify(text).replace(/\u2028/g, '\\u2028').replace(/\u2029/g, '\\u2029');
    }

    // The URL with `count` arguments: prefix "p0=" encoded "&p1=" ... "&",
    // made as one string: each "+" would make and intern a string of its
    // own.
    function urlOfArguments(prefix, count) {
        var text = 'join(' + literal(prefix + 'p0=');
        for (var i = 0; i < count; i++)
            text += ', a' + i + ', ' + literal(i + 1 < count ? '&p' + (i + 1) + '=' : '&');
        return text + ')';
    }

    var compiledArgumentLimit = 8;

    function compileFunction(prefix, argNum) {
        var names = ['S', 'join', 'open', 'logger'], body = 'var url = ';
        for (var i = 0; i < argNum; i++)
            names.push('a' + i);
        for (var count = argNum; count > 0; count--)
            body += 'a' + (count - 1) + ' !== void 0 ? ' + urlOfArguments(prefix, count) + ' : ';
        body += literal(prefix) + ';\n' +
            'logger.log("[API]", url);\n' +
            'S._RETURN_VALUE = void 0;\n' +
            'open(url);\n' +
            'var value = S._RETURN_VALUE;\n' +
            'S._RETURN_VALUE = void 0;\n' +
            'return value === void 0 ? null : value;';
        return new Function(names.join(','), body).bind(null, S, encodeURIComponentJoin, openURL, console);
    }

    function makeFunction(nameSpace, funcName, argNum) {
        var prefix = 'corvanajsbridge://' + nameSpace + '/' + funcName + '?';
        if (typeof argNum === 'number' && argNum >= 0 && argNum <= compiledArgumentLimit && argNum % 1 === 0) {
            try {
                return compileFunction(prefix, argNum);
            } catch (e) {
                // Names the engine cannot take back as literals: the general path.
            }
        }
        return function () {
            var count = arguments.length < argNum ? arguments.length : argNum;
            while (count > 0 && arguments[count - 1] === undefined)
                count--;
            var url = prefix;
            for (var i = 0; i < count; i++)
                url += 'p' + i + '=' + encodeURIComponent(arguments[i]) + '&';
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
    // Called as SendCmd.setReturnValue, so `this` is SendCmd, found without
    // a walk up the scope chain on every native answer.
    S.setReturnValue = function (value) {
        this._RETURN_VALUE = value;
    };
    return S;
})();
window.SendCmd = SendCmd;
)JS";
