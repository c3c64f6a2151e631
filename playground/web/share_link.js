// The share link: index.html#src=<source in base64url without padding>&in=<inputs, comma-separated>.
// The source travels as its UTF-8 bytes (RFC 4648, section 5, the URL- and
// file-name-safe alphabet, no "=" padding).

// The longest link Chromium opens, in characters: a longer one is refused
// before the page loads, so the page cannot even say so.
export const longestLink = 2 * 1024 * 1024;

export const damagedLinkMessage =
  "link danneggiato: la formula in src= non si puo' leggere, il link non e' stato aperto";
export const tooLongLinkMessage = (length) =>
  `link di ${length} caratteri: oltre ${longestLink} i browser possono rifiutarlo e non aprirlo`;

export function encodeBase64Url(text) {
  const bytes = new TextEncoder().encode(text);
  let binary = "";
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

// Null when the text is not base64url, or its bytes are not UTF-8.
export function decodeBase64Url(encoded) {
  encoded = encoded.replace(/=+$/, "");
  if (!/^[A-Za-z0-9_-]*$/.test(encoded) || encoded.length % 4 === 1) return null;
  const base64 = encoded.replace(/-/g, "+").replace(/_/g, "/") + "===".slice((encoded.length + 3) % 4);
  const binary = atob(base64);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  try {
    return new TextDecoder("utf-8", { fatal: true }).decode(bytes);
  } catch {
    return null;
  }
}

// The fragment for a source and its inputs (texts as typed).
export function shareFragment(source, inputs) {
  let fragment = "#src=" + encodeBase64Url(source);
  if (inputs.length) fragment += "&in=" + inputs.map(encodeURIComponent).join(",");
  return fragment;
}

function decodedComponent(text) {
  try {
    return decodeURIComponent(text);
  } catch {
    return text;
  }
}

// { source, inputs } from a location's fragment; { damaged: true } when its
// source cannot be read; null when it holds no source.
export function readShareFragment(hash) {
  const parameters = new Map();
  for (const part of hash.replace(/^#/, "").split("&")) {
    const equals = part.indexOf("=");
    if (equals > 0) parameters.set(part.slice(0, equals), part.slice(equals + 1));
  }
  if (!parameters.has("src")) return null;
  const source = decodeBase64Url(parameters.get("src"));
  if (source === null) return { damaged: true };
  const inputs = parameters.has("in") && parameters.get("in") !== ""
    ? parameters.get("in").split(",").map(decodedComponent) : [];
  return { source, inputs };
}
