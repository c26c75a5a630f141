// Embeds a Flash movie in the page: AC_FL_RunContent('name', 'value', ...) writes an <object>
// element with an inner <embed> for the browser's Flash runtime (a real plug-in, or the Ruffle
// runtime the flip-book package carries, which takes over both elements). Version 1.0.
(function () {
  "use strict";

  function escapeAttr(value) {
    return String(value).replace(/&/g, "&amp;").replace(/"/g, "&quot;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
  }

  // A movie named without its extension gets ".swf"; a query string stays behind it.
  function withExtension(src, ext) {
    var q = src.indexOf("?");
    var path = q >= 0 ? src.substring(0, q) : src;
    var query = q >= 0 ? src.substring(q) : "";
    if (!/\.[A-Za-z0-9]+$/.test(path)) path += ext;
    return path + query;
  }

  // Splits the name/value pairs into the object's attributes, its <param> elements and the
  // embed's attributes.
  function collect(args, ext, mimeType) {
    var r = { objAttrs: {}, params: {}, embedAttrs: { type: mimeType } };
    for (var i = 0; i + 1 < args.length; i += 2) {
      var name = String(args[i]).toLowerCase();
      var value = args[i + 1];
      switch (name) {
        case "src":
        case "movie":
          value = withExtension(String(value), ext);
          r.embedAttrs.src = value;
          r.params.movie = value;
          r.objAttrs.data = value;
          break;
        case "classid":
        case "codebase":
          break;
        case "width":
        case "height":
        case "align":
        case "vspace":
        case "hspace":
        case "class":
        case "title":
        case "accesskey":
        case "tabindex":
          r.embedAttrs[args[i]] = r.objAttrs[args[i]] = value;
          break;
        case "id":
          r.objAttrs.id = value;
          break;
        case "name":
          r.embedAttrs.name = r.objAttrs.name = value;
          break;
        case "pluginspage":
          r.embedAttrs[args[i]] = value;
          break;
        default:
          r.embedAttrs[args[i]] = r.params[args[i]] = value;
      }
    }
    r.objAttrs.type = mimeType;
    return r;
  }

  function markup(r) {
    var html = "<object";
    for (var a in r.objAttrs) html += " " + a + '="' + escapeAttr(r.objAttrs[a]) + '"';
    html += ">";
    for (var p in r.params) html += '<param name="' + escapeAttr(p) + '" value="' + escapeAttr(r.params[p]) + '" />';
    html += "<embed";
    for (var e in r.embedAttrs) html += " " + e + '="' + escapeAttr(r.embedAttrs[e]) + '"';
    html += " /></object>";
    return html;
  }

  window.AC_FL_RunContent = function () {
    var r = collect(arguments, ".swf", "application/x-shockwave-flash");
    document.write(markup(r));
  };
})();
