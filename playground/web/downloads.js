// Saving a text as a file through the browser's download.
export function downloadText(fileName, text, type = "application/octet-stream") {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const link = document.createElement("a");
  link.href = url;
  link.download = fileName;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// Copies a text to the clipboard; false when the browser refused.
export async function copyText(text, fallbackField) {
  try {
    await navigator.clipboard.writeText(text);
    return true;
  } catch {
    fallbackField.select();
    return document.execCommand("copy");
  }
}
