// Opens a browser window of the given size; with isCenter "true" it is centred on the screen.
function PopUp(theURL, winName, features, myWidth, myHeight, isCenter) {
  if (window.screen && isCenter === "true") {
    var myLeft = Math.round((screen.width - myWidth) / 2);
    var myTop = Math.round((screen.height - myHeight) / 2);
    features += (features !== "" ? "," : "") + "left=" + myLeft + ",top=" + myTop;
  }
  return window.open(theURL, winName, features + (features !== "" ? "," : "") + "width=" + myWidth + ",height=" + myHeight);
}
