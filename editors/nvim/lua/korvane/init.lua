-- Korvane skin descriptions in Neovim's built-in client (0.7 and later).
--
--   require('korvane').setup({
--     cmd = { 'korvane-lsp' },            -- the server (default: from PATH)
--     extension_list = nil,               -- an item-ID extension list for every skin
--   })
--
-- Descriptions are recognised by their SKINTYPE element (see ftdetect in
-- editors/vim); every description directory gets one server.
local M = {}

local clients = {}

local function config(opts)
  opts = opts or {}
  local init_options = {}
  if opts.extension_list then
    init_options.extensionList = opts.extension_list
  end
  return {
    cmd = opts.cmd or { 'korvane-lsp' },
    init_options = init_options,
    on_attach = opts.on_attach,
  }
end

-- Attaches the buffer to the server of its directory, starting it when needed.
-- Returns the client's id.
function M.attach(bufnr, opts)
  bufnr = bufnr or vim.api.nvim_get_current_buf()
  local name = vim.api.nvim_buf_get_name(bufnr)
  local root = vim.fn.fnamemodify(name, ':p:h')
  local id = clients[root]
  if id == nil or vim.lsp.get_client_by_id(id) == nil then
    local c = config(opts or M.options)
    id = vim.lsp.start_client({
      name = 'korvane-lsp',
      cmd = c.cmd,
      root_dir = root,
      init_options = c.init_options,
      on_attach = c.on_attach,
    })
    if id == nil then
      vim.notify('korvane-lsp could not be started', vim.log.levels.ERROR)
      return nil
    end
    clients[root] = id
  end
  vim.lsp.buf_attach_client(bufnr, id)
  return id
end

function M.setup(opts)
  M.options = opts or {}
  local group = vim.api.nvim_create_augroup('korvane', { clear = true })
  vim.api.nvim_create_autocmd({ 'BufRead', 'BufNewFile' }, {
    group = group,
    pattern = '*.txt',
    callback = function()
      if vim.fn.search([[\c^\s*SKINTYPE\>]], 'nw', 60) > 0 then
        vim.bo.filetype = 'korvane'
      end
    end,
  })
  vim.api.nvim_create_autocmd('FileType', {
    group = group,
    pattern = 'korvane',
    callback = function(args)
      vim.bo[args.buf].commentstring = '/%s'
      vim.bo[args.buf].omnifunc = 'v:lua.vim.lsp.omnifunc'
      M.attach(args.buf)
    end,
  })
end

return M
